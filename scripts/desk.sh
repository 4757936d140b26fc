#!/usr/bin/env bash
# Builds omniprobe-desk, the desk's receiver for SendInformation, and starts it as a desk runs it: the
# receiver on loopback behind nginx (the shipped site, desk/deploy/nginx/), which listens on the public
# port and holds the limits. Reports are posted to /report, the dashboard is at /, the first account is
# "desk" (more: omniprobe-desk user add NAME --db ...).
# Ctrl-C stops both.
#   --port N                 the public port (default 8470)
#   --public                 listen on all addresses (default: 127.0.0.1 only)
#   --direct                 the receiver alone on the port, without the proxy
#   --db FILE|URL            SQLite file (default build/desk.sqlite) or postgresql://user@host/db
#                            (OMNI_DESK_DB keeps a password off the command line)
#   --cert FILE --key FILE   HTTPS (at the proxy; with --direct, at the receiver)
#   --help                   this text and the receiver's own options, which pass through to it
# desk's password: OMNI_DESK_PASSWORD or --password-file FILE; without either, build/desk/password (made on
# the first start: 20 letters and digits, readable by the current user only).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OMNI_BUILD_DIR:-$root/build}"
port=8470 public=false direct=false cert="" key="" body=262144 own_db=false own_password=false
[ -z "${OMNI_DESK_DB:-}" ] || own_db=true
[ -z "${OMNI_DESK_PASSWORD:-}" ] || own_password=true
service=()
while [ $# -gt 0 ]; do
    case "$1" in
        --help|-h)
            sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
            # The receiver's own options, once it has been built (this text never builds it).
            if [ -x "$build/desk-native/omniprobe-desk" ]; then
                echo
                exec "$build/desk-native/omniprobe-desk" --help
            fi
            exit 0 ;;
        --port) port=$2; shift 2 ;;
        --public) public=true; shift ;;
        --direct) direct=true; shift ;;
        --cert) cert=$(realpath "$2"); shift 2 ;;
        --key) key=$(realpath "$2"); shift 2 ;;
        *)
            case "$1" in
                --db) own_db=true ;;
                --password-file) own_password=true ;;
                --body-limit) body=$2 ;;
            esac
            service+=("$1")
            shift ;;
    esac
done
case "$port" in ''|*[!0-9]*) echo "desk.sh: --port takes a number" >&2; exit 2 ;; esac
{ [ -z "$cert" ] && [ -z "$key" ]; } || { [ -n "$cert" ] && [ -n "$key" ]; } ||
    { echo "desk.sh: --cert and --key go together" >&2; exit 2; }

bash "$root/scripts/setup.sh" --desk
echo "building omniprobe-desk into $build/desk-native" >&2
sh "$root/desk/build.sh" "$build/desk-native" omniprobe-desk >&2
desk="$build/desk-native/omniprobe-desk"
work="$build/desk"
mkdir -p "$work"
$own_db || service+=(--db "$build/desk.sqlite")
if ! $own_password; then
    if [ ! -s "$work/password" ]; then
        (umask 077 && head -c 4096 /dev/urandom | LC_ALL=C tr -dc 'a-zA-Z0-9' | cut -c 1-20 >"$work/password")
    fi
    service+=(--password-file "$work/password")
fi
host=127.0.0.1
$public && host=0.0.0.0

if $direct; then
    tls=()
    [ -z "$cert" ] || tls=(--cert "$cert" --key "$key")
    exec "$desk" --listen "$host" --port "$port" "${tls[@]}" "${service[@]}"
fi

receiver="" proxy=""
# Whatever is already gone is passed over, and the script ends with its own status.
cleanup() {
    rc=$?
    set +e
    [ -z "$proxy" ] || kill "$proxy" 2>/dev/null
    [ -z "$receiver" ] || kill "$receiver" 2>/dev/null
    wait 2>/dev/null
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
: >"$work/receiver.log"
"$desk" --listen 127.0.0.1 --port 0 --trusted-proxy 127.0.0.1 "${service[@]}" > >(tee -a "$work/receiver.log") 2>&1 &
receiver=$!
until grep -q "storage:" "$work/receiver.log"; do
    kill -0 "$receiver" 2>/dev/null || { echo "desk.sh: the receiver did not start" >&2; exit 1; }
    sleep 0.1
done
inner=$(sed -n 's|.*dashboard at https\{0,1\}://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/receiver.log")
tls=()
[ -z "$cert" ] || tls=(--cert "$cert" --key "$key")
listen="127.0.0.1:$port"
$public && listen="$port"
sh "$root/desk/deploy/local-proxy.sh" "${tls[@]}" --body-limit "$body" "$work/proxy" "$listen" "127.0.0.1:$inner" &
proxy=$!
until (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do
    kill -0 "$proxy" 2>/dev/null || { echo "desk.sh: nginx did not start ($work/proxy/error.log)" >&2; exit 1; }
    sleep 0.1
done
scheme=http
[ -z "$cert" ] || scheme=https
name=127.0.0.1
$public && name=$(hostname)
where=$listen
$public && where="port $port of every address"
echo "desk.sh: nginx on $where in front of the receiver on 127.0.0.1:$inner (logs in $work/proxy/)"
echo "desk.sh: dashboard at $scheme://$name:$port/, reports are posted to $scheme://$name:$port/report"
wait -n "$receiver" "$proxy"
