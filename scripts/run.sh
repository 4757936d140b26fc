#!/usr/bin/env bash
# Installs what is missing, builds, lays out a PC in a Wine prefix of the project's own and runs a whole
# local-mode diagnosis there, printing the report. Options go to the host: --korean, --raw, --save <file>,
# --links, --admin/--user, --help.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target omniprobe_host omni_fixtures >/dev/null
sh "$root/tools/prepare-demo.sh" "$build"
# The component check creates each control in a window, as on any Windows desktop; without a display
# Wine cannot create windows, so a headless machine gets a virtual one.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a)
OMNI_WINEPREFIX="$build/demo/wineprefix" "${display[@]}" "$build/wine-run.sh" "$build/demo/omniprobe_host.exe" "$@"
