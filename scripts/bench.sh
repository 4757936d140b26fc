#!/usr/bin/env bash
# Benchmark: a whole diagnosis against the Tarrow + reg.exe child processes it cannot avoid, on the
# run command's PC. Prints both medians and their ratio. Argument: repetitions (default 7).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target omniprobe_host diagnosis_benchmark omni_fixtures >/dev/null
sh "$root/tools/prepare-demo.sh" "$build"
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a)
OMNI_WINEPREFIX="$build/demo/wineprefix" "${display[@]}" "$build/wine-run.sh" "$build/demo/diagnosis_benchmark.exe" "${1:-7}"
