#!/usr/bin/env bash
# Sets up what is missing, builds the project and runs its main job until the
# demo application exists: a statement printed through the SQL text builders,
# then SQL-92 statements parsed and printed back in the default layout (the
# last one does not parse and shows the error line).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/nvqb-ccache}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 || { cat build.configure.log; exit 1; }
cmake --build build -j "$(nproc)" --target nvqb-printdemo nvqb-roundtrip
./build/demos/nvqb-printdemo
echo
echo "-- SQL-92 statements parsed and printed back"
./build/bench/nvqb-roundtrip --full demos/statements.sql | tr -d '\r'

