#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine (with an X server for dialogs).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
# Keep one wineserver alive for the whole run: every test program then starts faster.
export WINEPREFIX="$build/wineprefix"
. "$root/tools/wine-env.sh"
wineserver -p >/dev/null 2>&1
trap 'WINEPREFIX="$build/wineprefix" wineserver -k || true' EXIT
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$(nproc)"
