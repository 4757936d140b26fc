#!/usr/bin/env bash
# The desk's receiver under load and under SIGKILL, on 127.0.0.1 only (a benchmark, not a test): builds it,
# then desk_load_bench posts the demo PC's report from concurrent posters, checks that every post answered
# 200 is in the database, does the same while the receiver is killed and restarted, and compares the
# receiver's ingest rate with SQLite's own insert rate for the same rows.
# Usage: load-and-fault.sh [posters [posts per phase [seconds per phase]]]   (default 16 3000 60)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${OMNI_BUILD_DIR:-$root/build}"
sh "$root/desk/build.sh" "$build/desk-native" all desk_load_bench >/dev/null
folder="$build/desk-bench"
rm -rf "$folder"
mkdir -p "$folder"
"$build/desk-native/desk_load_bench" --desk "$build/desk-native/omniprobe-desk" --report "$here/report_en.xml" \
    --folder "$folder" --posters "${1:-16}" --posts "${2:-3000}" --seconds "${3:-60}"
