#!/usr/bin/env bash
# Installs what is missing, builds <targets>, lays out the run command's PC (tools/prepare-demo.sh) and runs
# build/demo/<program> there with the remaining arguments. Used by scripts/run.sh and scripts/bench.sh.
# Usage: run-on-demo-pc.sh [--web] "<targets>" <program.exe> [arguments...]
# --web starts the demo's content server (tools/content_server.py on build/demo/content) for the run and
# passes its address to the program as --param ServerURL=http://127.0.0.1:<port>/.
set -euo pipefail
web=0
if [ "${1:-}" = "--web" ]; then web=1; shift; fi
targets="$1" program="$2"
shift 2
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
# shellcheck disable=SC2086 # targets is a list
cmake --build "$build" -j"$(nproc)" --target omniprobe_host $targets omni_fixtures >/dev/null
sh "$root/tools/prepare-demo.sh" "$build"
args=("$@")
if [ "$web" = 1 ]; then
    server="$root/tools/content_server.py"
    [ -f "$server" ] || { echo "run-on-demo-pc: $server is missing; web mode needs it" >&2; exit 1; }
    state="$build/demo/content-server"
    python3 "$server" --start --root "$build/demo/content" --state "$state" >/dev/null
    trap 'python3 "$server" --stop --state "$state" >/dev/null 2>&1 || true' EXIT
    args+=(--param "ServerURL=http://127.0.0.1:$(cat "$state/port")/")
fi
# The component check creates each control in a window, as on any Windows desktop; without a display
# Wine cannot create windows, so a headless machine gets a virtual one.
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a)
OMNI_WINEPREFIX="$build/demo/wineprefix" "${display[@]}" "$build/wine-run.sh" "$build/demo/$program" "${args[@]}"
