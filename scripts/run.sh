#!/usr/bin/env bash
# Installs what is missing, builds, lays out a PC in a Wine prefix of the project's own, registers the
# control there and runs the example page examples/retrieve.js in the page container: the page calls
# Retrieve and prints the report it receives through OnRetrieveComplete.
#   --korean  texts in Korean (Lang=kor; English otherwise)
#   --raw     the report exactly as the page receives it (one line)
#   --web     web mode: InstallMode=1, lists fetched from the demo's content server
#   --repair-setting  repair a red setting: Modify("UseSWRender"), then the fresh report one second later
#   --repair-ocx      web mode: InstallOcx("Quadrel.ocx") from the content server, then the fresh report
#   --host    run the console host instead (no control, no page); the remaining options go to it
#   --send    the page sends the report with SendInformation to the desk's receiver, started for the run,
#             and what it stored is printed (--send --korean for the Korean report)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = "--host" ]; then
    shift
    exec bash "$root/tools/run-on-demo-pc.sh" omniprobe_host omniprobe_host.exe "$@"
fi
case " $* " in *" --send "*) exec bash "$root/tools/send-to-desk.sh" "$@" ;; esac
lang=eng mode=0 query=() web=() page=retrieve.js accept=()
for arg in "$@"; do
    case "$arg" in
        --korean) lang=kor ;;
        --raw) query=(--query raw) ;;
        --web) mode=1 web=(--web) ;;
        --repair-setting) page=repair.js query=(--query "?Modify=UseSWRender") accept=(--accept-messages) ;;
        --repair-ocx) page=repair.js query=(--query "?InstallOcx=Quadrel.ocx") accept=(--accept-messages)
                      mode=1 web=(--web) ;;
        --help|-h) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "run.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
    esac
done
windows() { printf 'Z:%s' "$root/examples/$1" | tr / '\\'; }
exec bash "$root/tools/run-on-demo-pc.sh" "${web[@]}" "omniprobe_page omniprobe_ocx" omniprobe_page.exe \
    --timeout 600000 --param "InstallMode=$mode" --param "Lang=$lang" "${query[@]}" "${accept[@]}" \
    "$(windows report_layout.js)" "$(windows "$page")"
