#!/bin/sh
# Runs nginx in the foreground as the current user, in front of omniprobe-desk receivers: the shipped
# site file (nginx/omniprobe-desk.conf) with a configuration of its own in a folder (logs, temporary
# files, the listen address, the receivers). One process, no workers: nothing outlives it.
# Usage: local-proxy.sh [--cert FILE --key FILE] [--body-limit BYTES] [--exempt ADDRESS]... <folder> <listen> <receiver>...
#   <listen>    as nginx's listen directive takes it: 127.0.0.1:8470, 8470 (all addresses), [::1]:8470
#   <receiver>  address:port of an omniprobe-desk started with --trusted-proxy for this proxy's address
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cert="" key="" body=262144 exempt=""
while [ $# -gt 0 ]; do
    case "$1" in
        --cert) cert=$(realpath "$2"); shift 2 ;;
        --key) key=$(realpath "$2"); shift 2 ;;
        --body-limit) body=$2; shift 2 ;;
        --exempt) exempt="$exempt$2 1;
"; shift 2 ;;
        *) break ;;
    esac
done
[ $# -ge 3 ] || { sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
folder=$1 listen=$2
shift 2
mkdir -p "$folder/omniprobe-desk" "$folder/temp"
folder=$(cd "$folder" && pwd)
{
    if [ -n "$cert" ]; then
        echo "listen $listen ssl;"
        echo "ssl_certificate $cert;"
        echo "ssl_certificate_key $key;"
    else
        echo "listen $listen;"
    fi
    echo "client_max_body_size $body;"
    echo "client_body_buffer_size $body;"
} >"$folder/omniprobe-desk/server.conf"
: >"$folder/omniprobe-desk/receivers.conf"
for receiver; do echo "server $receiver;" >>"$folder/omniprobe-desk/receivers.conf"; done
printf '%s' "$exempt" >"$folder/omniprobe-desk/exempt.conf"
cat >"$folder/nginx.conf" <<CONF
master_process off;
daemon off;
pid $folder/nginx.pid;
error_log $folder/error.log warn;
events {
    worker_connections 4096;
}
http {
    access_log $folder/access.log;
    client_body_temp_path $folder/temp/body;
    proxy_temp_path $folder/temp/proxy;
    fastcgi_temp_path $folder/temp/fastcgi;
    uwsgi_temp_path $folder/temp/uwsgi;
    scgi_temp_path $folder/temp/scgi;
    include $here/nginx/omniprobe-desk.conf;
}
CONF
exec /usr/sbin/nginx -p "$folder" -c "$folder/nginx.conf" -e "$folder/error.log"
