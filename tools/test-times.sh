#!/usr/bin/env bash
# Prints the time of every test in a ctest log, longest first, as a table.
# Usage: test-times.sh <ctest output>
set -euo pipefail
printf '\n%-50s %9s  %s\n' "test" "seconds" "result"
sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.*\**([A-Za-z ]+[a-z]) +([0-9.]+) sec$/\3 \1 \2/p' "$1" |
    sort -rn | awk '{ printf "%-50s %9.1f  %s\n", $2, $1, substr($0, index($0, $3)) }'
