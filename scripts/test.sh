#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test twice: once in a normal
# build and once under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh

# A PostgreSQL server on loopback for the tests that read a real database;
# it is stopped and removed however the run ends.
eval "$(bash scripts/pgserver.sh start)"
trap 'bash scripts/pgserver.sh stop "$NVQB_PG_DIR"' EXIT

jobs="$(nproc)"
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/nvqb-ccache}"
export QT_QPA_PLATFORM=offscreen
# Qt's own libraries are not instrumented; leaks inside them are not ours.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
run_build() {
  local dir="$1"; shift
  echo "=== configure and build: $dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" > "$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j "$jobs"
  echo "=== tests: $dir"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

run_build build || status=1
run_build build-asan -DNVQB_SANITIZE=ON -DNVQB_BUILD_BENCH=OFF || status=1

if [ "$status" -ne 0 ]; then
  echo "Some builds or tests failed."
fi
exit "$status"
