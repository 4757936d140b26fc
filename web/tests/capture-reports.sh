#!/bin/sh
# Has the real control diagnose the run command's PC through the page container, in English and Korean,
# and repair one red item, so the browser test replays what the control really sends. Runs in a
# throwaway copy of the demo prefix: the repair must not change the PC that other tests diagnose.
# Usage: capture-reports.sh <build folder> <output folder>
# Writes report_en.xml, report_ko.xml, report_en_repaired.xml (after Modify("UseSWRender")) and
# messages_en.txt, messages_ko.txt (code<TAB>text, escaped as capture.js writes them).
set -e
build="$(cd "$1" && pwd)"
out="$2"
web="$(cd "$(dirname "$0")" && pwd)"
. "$web/../../tools/exit-cleanup.sh"
. "$web/../../tools/throwaway-prefix.sh"
enter_throwaway_prefix "$build/demo/wineprefix" "$build/web-capture-prefix-$$"
rm -rf "$out"
mkdir -p "$out"

# The component check creates controls in a window; a headless run gets a virtual display.
display=""
[ -n "${DISPLAY:-}" ] || display="xvfb-run -a"
page() {
    $display "$build/wine-run.sh" "$build/demo/omniprobe_page.exe" --timeout 120000 --param InstallMode=0 "$@" \
        "Z:$(printf '%s' "$web/capture.js" | tr / '\\')"
}
records() {  # records <file> <kind>: the records of one kind, without their tag
    sed -n "s/^$2\t//p" "$1"
}
unescaped() {
    python3 -c 'import re, sys
codes = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}
text = sys.stdin.buffer.read().decode("utf-8")
sys.stdout.buffer.write(re.sub(r"\\(.)", lambda m: codes[m.group(1)], text).encode("utf-8"))'
}

# Korean first: the English run repairs the item that both reports show in red.
page --param Lang=kor >"$out/kor.txt"
page --param Lang=eng --accept-messages --query "?Modify=UseSWRender" >"$out/eng.txt"

records "$out/kor.txt" report | unescaped >"$out/report_ko.xml"
records "$out/eng.txt" report | sed -n 1p | unescaped >"$out/report_en.xml"
records "$out/eng.txt" report | sed -n 2p | unescaped >"$out/report_en_repaired.xml"
records "$out/kor.txt" message >"$out/messages_ko.txt"
records "$out/eng.txt" message >"$out/messages_en.txt"
rm -f "$out/kor.txt" "$out/eng.txt"
for f in report_en.xml report_ko.xml report_en_repaired.xml messages_en.txt messages_ko.txt; do
    [ -s "$out/$f" ] || { echo "capture-reports: $f is empty" >&2; exit 1; }
done
echo "captured: $(grep -o '<item>' "$out/report_en.xml" | wc -l) items, $(grep -o 'FF0000' "$out/report_en.xml" | wc -l) red"
