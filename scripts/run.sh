#!/usr/bin/env bash
# Sets up what is missing, builds the project and runs its main job: printing
# a SELECT statement through the SQL text builders.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/nvqb-ccache}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 || { cat build.configure.log; exit 1; }
cmake --build build -j "$(nproc)" --target nvqb-printdemo
./build/demos/nvqb-printdemo
