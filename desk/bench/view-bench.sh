#!/usr/bin/env bash
# The dashboard's pages against a million stored reports, on 127.0.0.1 only (a benchmark, not a test): builds
# omniprobe-desk and desk_view_bench, fills a SQLite file and then a PostgreSQL server of its own
# (desk/tests/with-postgres.sh) with the demo PC's report over a year, and times the list, the summary, the
# days, the red items by ticket and a ticket's history through the service. The SQLite file is kept in
# build/desk-view-bench/ for the next run (some 10 GB for a million reports); --fresh makes it again.
# Usage: view-bench.sh [--fresh] [reports]   (default 1000000)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${OMNI_BUILD_DIR:-$root/build}"
fresh=false
case "${1:-}" in
    --help|-h) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    --fresh) fresh=true; shift ;;
esac
reports=${1:-1000000}
sh "$root/desk/build.sh" "$build/desk-native" omniprobe-desk desk_view_bench >/dev/null
folder="$build/desk-view-bench"
mkdir -p "$folder"
$fresh && rm -f "$folder"/view.sqlite*
bench=("$build/desk-native/desk_view_bench" --desk "$build/desk-native/omniprobe-desk" --report "$here/report_en.xml"
       --folder "$folder" --reports "$reports")
"${bench[@]}" --db "$folder/view.sqlite"
sh "$root/desk/tests/with-postgres.sh" sh -c '"$@" --db "$OMNI_DESK_TEST_POSTGRES"' sh "${bench[@]}"
