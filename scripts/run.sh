#!/usr/bin/env bash
# Installs what is missing, builds, prepares the project's Wine prefix like a real PC and runs the
# console host, which probes the machine and prints what it found.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target omniprobe_host omni_fixtures >/dev/null
sh "$root/tools/prepare-demo-prefix.sh" "$build"
"$build/wine-run.sh" "$build/bin/omniprobe_host.exe" "$@"
