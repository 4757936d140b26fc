#!/usr/bin/env bash
# The run command's --send: diagnoses the run command's PC through the control as the default run does,
# and the page (examples/send.js) sends the report with SendInformation to omniprobe-desk, started for the
# run on 127.0.0.1; then prints what the receiver stored, read back through its API.
# The page runs in a throwaway copy of the demo prefix: the browser window that SendInformation opens
# outlives the page and goes with the copy. The receiver keeps its reports in build/demo/desk.sqlite.
# Usage: send-to-desk.sh [--send] [--korean]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
lang=eng
for arg in "$@"; do
    case "$arg" in
        --korean) lang=kor ;;
        --send) ;;
        *) echo "run.sh --send: unknown option $arg" >&2; exit 2 ;;
    esac
done
bash "$root/scripts/setup.sh"
build="${OMNI_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target omniprobe_host omniprobe_page omniprobe_ocx omni_fixtures >/dev/null
sh "$root/tools/prepare-demo.sh" "$build"
sh "$root/desk/build.sh" "$build/desk-native" >/dev/null

work="$build/demo/desk"
mkdir -p "$work"
password=$(od -An -tx1 -N12 /dev/urandom | tr -d ' \n')
OMNI_DESK_PASSWORD=$password "$build/desk-native/omniprobe-desk" --port 0 --db "$build/demo/desk.sqlite" \
    >"$work/desk.log" 2>&1 &
desk=$!
. "$root/tools/exit-cleanup.sh"
at_exit 'kill $desk 2>/dev/null'
port=$(python3 "$root/tools/desk_client.py" banner "$work/desk.log" 120)
. "$root/tools/throwaway-prefix.sh"
enter_throwaway_prefix "$build/demo/wineprefix" "$build/demo/send-prefix-$$"

ticket="run-$(date +%Y%m%d-%H%M%S)"
receiver="http://127.0.0.1:$port/report?ticket=$ticket"
echo "receiver: omniprobe-desk on http://127.0.0.1:$port/ (SQLite $build/demo/desk.sqlite)"
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a)
"${display[@]}" "$build/wine-run.sh" "$build/demo/omniprobe_page.exe" --timeout 600000 --param InstallMode=0 \
    --param "Lang=$lang" --query "?$receiver" "Z:$(printf '%s' "$root/examples/send.js" | tr / '\\')" \
    >"$work/page-report.txt"
python3 "$root/tools/desk_client.py" show "$port" "$password" "$ticket" "$work/page-report.txt" 300
