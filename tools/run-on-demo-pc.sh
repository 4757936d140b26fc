#!/usr/bin/env bash
# Installs what is missing, builds <target>, lays out the run command's PC (tools/prepare-demo.sh) and runs
# build/demo/<program> there with the remaining arguments. Used by scripts/run.sh and scripts/bench.sh.
# Usage: run-on-demo-pc.sh <target> <program.exe> [arguments...]
set -euo pipefail
target="$1" program="$2"
shift 2
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target omniprobe_host "$target" omni_fixtures >/dev/null
sh "$root/tools/prepare-demo.sh" "$build"
# The component check creates each control in a window, as on any Windows desktop; without a display
# Wine cannot create windows, so a headless machine gets a virtual one.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a)
OMNI_WINEPREFIX="$build/demo/wineprefix" "${display[@]}" "$build/wine-run.sh" "$build/demo/$program" "$@"
