#!/usr/bin/env bash
# The desk as it runs, on loopback only (a benchmark, not a test): builds omniprobe-desk, starts a
# PostgreSQL server of its own (desk/tests/with-postgres.sh) and nginx with the shipped site, and runs
# desk_proxy_bench: posters straight to a receiver and through the proxy to one and two receivers, the same
# while 200 slow connections are open, a 300 MB header request, and a receiver killed under load.
# Usage: proxy-bench.sh [posters [posts per phase [seconds per phase]]]   (default 16 3000 60)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${OMNI_BUILD_DIR:-$root/build}"
case "${1:-}" in --help|-h) sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;; esac
sh "$root/desk/build.sh" "$build/desk-native" omniprobe-desk desk_proxy_bench >/dev/null
folder="$build/desk-proxy-bench"
rm -rf "$folder"
mkdir -p "$folder"
sh "$root/desk/tests/with-postgres.sh" sh -c '"$0" --desk "$1" --proxy "$2" --report "$3" --folder "$4" \
    --db "$OMNI_DESK_TEST_POSTGRES" --posters "$5" --posts "$6" --seconds "$7"' \
    "$build/desk-native/desk_proxy_bench" "$build/desk-native/omniprobe-desk" "$root/desk/deploy/local-proxy.sh" \
    "$here/report_en.xml" "$folder" "${1:-16}" "${2:-3000}" "${3:-60}"
