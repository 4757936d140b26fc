#!/usr/bin/env bash
# Installs what is missing, builds, lays out a PC in a Wine prefix of the project's own, registers the
# control there and runs an example page in the page container: the page calls Retrieve and prints the
# report it receives through OnRetrieveComplete, summed up (examples/report_summary.js). Each step says
# when it starts and how long it took, on standard error; the report alone goes to standard output.
#   --korean  texts in Korean (Lang=kor; English otherwise)
#   --xml     the report laid out one element per line instead of the summary
#   --raw     the report exactly as the page receives it (one line)
#   --web     web mode: InstallMode=1, lists fetched from the demo's content server
#   --repair-setting  repair a red setting: Modify("UseSWRender"), then the fresh report one second later
#   --repair-ocx      web mode: InstallOcx("Quadrel.ocx") from the content server, then the fresh report
#   --host    run the console host instead (no control, no page); the remaining options go to it
#   --send    the page sends the report with SendInformation to the desk's receiver, started for the run,
#             and what it stored is printed (--send --korean for the Korean report)
# The summary shows red items in colour when standard output is a terminal (and NO_COLOR is not set).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = "--host" ]; then
    shift
    exec bash "$root/tools/run-on-demo-pc.sh" omniprobe_host.exe "$@"
fi
case " $* " in *" --send "*) exec bash "$root/tools/send-to-desk.sh" "$@" ;; esac
lang=eng mode=0 form=summary page=retrieve.js repair="" web=() accept=() phase=diagnosing
for arg in "$@"; do
    case "$arg" in
        --korean) lang=kor ;;
        --xml) form=xml ;;
        --raw) form=raw ;;
        --web) mode=1 web=(--web) ;;
        --repair-setting) page=repair.js repair="Modify=UseSWRender" ;;
        --repair-ocx) page=repair.js repair="InstallOcx=Quadrel.ocx" mode=1 web=(--web) ;;
        --help|-h) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
        *) echo "run.sh: unknown option $arg (try --help)" >&2; exit 2 ;;
    esac
done

# The page's address says what it does: the repair first, then the form of the report.
words=()
[ -z "$repair" ] || words+=("$repair")
case "$form" in
    raw) words+=(raw) ;;
    summary) words+=(summary)
             [ ! -t 1 ] || [ -n "${NO_COLOR:-}" ] || words+=(colour) ;;
esac
# A repair's message boxes are answered as the person at the PC would.
[ -z "$repair" ] || accept=(--accept-messages) phase="diagnosing and repairing"
query=()
[ ${#words[@]} -eq 0 ] || query=(--query "?$(IFS='&'; echo "${words[*]}")")

windows() { printf 'Z:%s' "$root/examples/$1" | tr / '\\'; }
exec bash "$root/tools/run-on-demo-pc.sh" "${web[@]}" --phase "$phase" omniprobe_page.exe \
    --timeout 600000 --param "InstallMode=$mode" --param "Lang=$lang" "${query[@]}" "${accept[@]}" \
    "$(windows report_layout.js)" "$(windows report_summary.js)" "$(windows "$page")"
