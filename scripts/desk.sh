#!/usr/bin/env bash
# Builds and starts omniprobe-desk, the desk's receiver for SendInformation, on 127.0.0.1: reports are
# posted to /report, the dashboard is at /, the user is "desk" (password from OMNI_DESK_PASSWORD, else one
# is generated and printed). Ctrl-C stops it.
#   --port N                       port (default 8470)
#   --db FILE                      SQLite file (default build/desk.sqlite)
#   --db postgresql://user@host/db PostgreSQL instead (OMNI_DESK_DB keeps a password off the command line)
#   --help                         this text and the service's own options, which pass through to it
#                                  (--retention-days N, --cert FILE --key FILE, --rate N, --body-limit BYTES)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OMNI_BUILD_DIR:-$root/build}"
for arg in "$@"; do
    case "$arg" in
        --help|-h)
            sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
            # The service's own options, once it has been built (this text never builds it).
            if [ -x "$build/desk-native/omniprobe-desk" ]; then
                echo
                exec "$build/desk-native/omniprobe-desk" --help
            fi
            exit 0 ;;
    esac
done
bash "$root/scripts/setup.sh"
sh "$root/desk/build.sh" "$build/desk-native" >/dev/null
db=()
[ -n "${OMNI_DESK_DB:-}" ] || db=(--db "$build/desk.sqlite")
exec "$build/desk-native/omniprobe-desk" --listen 127.0.0.1 --port 8470 "${db[@]}" "$@"
