#!/bin/sh
# End to end: the real control in the page container diagnoses the run command's PC, in English and in
# Korean, and examples/send.js posts each report with SendInformation through Wine's browser window to
# omniprobe-desk on 127.0.0.1. The stored XML must be the report the page received, byte for byte, and
# the page the window got back must be in the report's language with the report's number.
# Runs in a throwaway copy of the demo prefix: the browser windows outlive the page and go with its
# wineserver. Usage: delivery-e2e.sh <build folder> <omniprobe-desk>
set -eu
build="$(cd "$1" && pwd)"
desk="$2"
root="$(cd "$(dirname "$0")/../.." && pwd)"
scratch=$(mktemp -d /tmp/desk-e2e.XXXXXX)
desk_pid="" relay_pid="" throwaway_prefix=""
# Whatever is already gone is passed over, and the script ends with its own status.
cleanup() {
    rc=$?
    set +e
    [ -z "$desk_pid$relay_pid" ] || kill $desk_pid $relay_pid 2>/dev/null
    if [ -n "$throwaway_prefix" ]; then
        WINEPREFIX="$throwaway_prefix" wineserver -k 2>/dev/null
        rm -rf "$throwaway_prefix"
    fi
    rm -rf "$scratch"
    exit $rc
}
trap cleanup EXIT
trap 'exit 143' INT TERM
password=$(od -An -tx1 -N12 /dev/urandom | tr -d ' \n')
OMNI_DESK_PASSWORD=$password "$desk" --port 0 --db "$scratch/desk.sqlite" >"$scratch/desk.log" 2>&1 &
desk_pid=$!
port=$(python3 "$root/tools/desk_client.py" banner "$scratch/desk.log")
python3 "$root/desk/tests/recording_relay.py" "$port" "$scratch/answers" >"$scratch/relay.port" &
relay_pid=$!
. "$root/tools/throwaway-prefix.sh"
enter_throwaway_prefix "$build/demo/wineprefix" "$build/desk-e2e-prefix-$$" || { trap cleanup EXIT; exit 1; }
trap cleanup EXIT  # in place of the one that entering the copy set
while [ ! -s "$scratch/relay.port" ]; do sleep 0.1; done
relay=$(cat "$scratch/relay.port")

display=""
[ -n "${DISPLAY:-}" ] || display="xvfb-run -a"
for lang in eng kor; do
    ticket="e2e-$lang-$$"
    $display "$build/wine-run.sh" "$build/demo/omniprobe_page.exe" --timeout 300000 --param InstallMode=0 \
        --param Lang=$lang --query "?http://127.0.0.1:$relay/report?ticket=$ticket" \
        "Z:$(printf '%s' "$root/examples/send.js" | tr / '\\')" >"$scratch/page-$lang.txt"
    python3 "$root/tools/desk_client.py" check "$port" "$password" "$ticket" "$scratch/page-$lang.txt" $lang \
        "$scratch/answers" 240
    # The window stays open, as it would for the user; a second window of Wine's browser server does not
    # navigate, so the first goes (with the copy's processes) before the next post.
    WINEPREFIX="$throwaway_prefix" wineserver -k 2>/dev/null || true
done
