#!/bin/sh
# Runs a command against a PostgreSQL server of its own: initdb into a scratch folder, the server run as
# the unprivileged user "postgres" on a free port of 127.0.0.1, a database "desk", and its address in
# OMNI_DESK_TEST_POSTGRES. The server and its folder go when the command ends.
# Usage: with-postgres.sh <command> [arguments...]
set -eu
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "with-postgres: PostgreSQL is not installed (apt-get install postgresql)" >&2; exit 1; }
user=postgres
id "$user" >/dev/null 2>&1 || { echo "with-postgres: no user $user" >&2; exit 1; }
as_user() {
    if [ "$(id -u)" = 0 ]; then runuser -u "$user" -- "$@"; else "$@"; fi
}
scratch=$(mktemp -d /tmp/desk-postgres.XXXXXX)
chmod 755 "$scratch"
[ "$(id -u)" = 0 ] && chown "$user" "$scratch"
data="$scratch/data"
cleanup() {
    as_user "$bin/pg_ctl" -D "$data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 143' INT TERM
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
as_user "$bin/initdb" -D "$data" -U desk -A trust -E UTF8 --locale=C.UTF-8 >"$scratch/initdb.log" 2>&1 ||
    { cat "$scratch/initdb.log" >&2; exit 1; }
as_user "$bin/pg_ctl" -D "$data" -l "$scratch/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $scratch -c fsync=on" start >/dev/null ||
    { cat "$scratch/server.log" >&2; exit 1; }
as_user "$bin/createdb" -h 127.0.0.1 -p "$port" -U desk desk
export OMNI_DESK_TEST_POSTGRES="postgresql://desk@127.0.0.1:$port/desk"
"$@"
