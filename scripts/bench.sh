#!/usr/bin/env bash
# Benchmarks on the run command's PC, which it builds and lays out first as the run command does:
# 1. a whole diagnosis (Run + BuildReport) against the Tarrow + reg.exe child processes it cannot avoid;
# 2. Retrieve in local mode in the page container, from the call to the event, against 1.
# Usage: bench.sh [repetitions]   (default 7)
#   --help   this text
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
case "${1:-}" in
    --help|-h) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    *[!0-9]*) echo "bench.sh: repetitions must be a number (try --help)" >&2; exit 2 ;;
esac
n="${1:-7}"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
bash "$root/tools/run-on-demo-pc.sh" --phase measuring diagnosis_benchmark.exe "$n" \
    | tee "$out"
page="Z:$(printf '%s' "$root/benchmarks/retrieve_timing.js" | tr / '\\')"
bash "$root/tools/run-on-demo-pc.sh" --phase measuring omniprobe_page.exe --timeout 600000 \
    --param InstallMode=0 --param Lang=eng --query "?$n" "$page" | tee -a "$out"
awk '/^median Run \+ BuildReport:/ {d = $(NF-1)} /^median Retrieve to event:/ {r = $(NF-1)}
     END { if (d > 0 && r > 0) printf "ratio Retrieve / (Run + BuildReport): %.2f (target at most 1.20)\n", r / d }' "$out"
