#!/usr/bin/env bash
# The main job: sets up what is missing, builds the demo application and opens
# it on its sample order-entry database (SQLite through ODBC, made in the
# cache folder on first start). Arguments go to the demo, e.g.
#   bash scripts/run.sh --connect "Driver=PostgreSQL Unicode;Servername=...;Database=...;UID=...;PWD=..."
# With no display (neither DISPLAY nor WAYLAND_DISPLAY set) the demo runs
# offscreen: it loads the sample query over the sample tables, prints the
# control's SQL and writes a picture of its window to build/nvqb-demo.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/nvqb-ccache}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.configure.log 2>&1 || { cat build.configure.log; exit 1; }
cmake --build build -j "$(nproc)" --target nvqb-demo

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/demos/nvqb-demo "$@"
fi

echo "-- No display: the demo runs offscreen on the sample database."
echo "-- The control's SQL:"
./build/demos/nvqb-demo --print-sql --screenshot build/nvqb-demo.png "$@"
echo "-- The window's picture: build/nvqb-demo.png"
