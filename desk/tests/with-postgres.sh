#!/bin/sh
# Runs a command against a PostgreSQL server of its own: initdb into a scratch folder, the server run as
# the unprivileged user "postgres" on a free port of 127.0.0.1, a database "desk", and its address in
# OMNI_DESK_TEST_POSTGRES. The server goes with this script however it ends (killed too), and its folder
# when it ends otherwise. The script's status is the command's.
# Usage: with-postgres.sh <command> [arguments...]
set -eu
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "with-postgres: PostgreSQL is not installed (apt-get install postgresql)" >&2; exit 1; }
user=postgres
id "$user" >/dev/null 2>&1 || { echo "with-postgres: no user $user" >&2; exit 1; }
ids=""
[ "$(id -u)" != 0 ] || ids="--reuid=$user --regid=$user --init-groups"
scratch=$(mktemp -d /tmp/desk-postgres.XXXXXX)
server=""
cleanup() {
    rc=$?
    set +e
    [ -z "$server" ] || { kill -INT "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
    rm -rf "$scratch"
    exit $rc
}
trap cleanup EXIT
trap 'exit 143' INT TERM
chmod 755 "$scratch"
if [ "$(id -u)" = 0 ]; then chown "$user" "$scratch"; fi
data="$scratch/data"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
setpriv $ids -- "$bin/initdb" -D "$data" -U desk -A trust -E UTF8 --locale=C.UTF-8 >"$scratch/initdb.log" 2>&1 ||
    { cat "$scratch/initdb.log" >&2; exit 1; }
# The server is this script's child, and dies with it (a kill included).
setpriv $ids --pdeathsig KILL -- "$bin/postgres" -D "$data" -c listen_addresses=127.0.0.1 -p "$port" -k "$scratch" \
    -c fsync=on >"$scratch/server.log" 2>&1 &
server=$!
tries=0
until "$bin/pg_isready" -q -h 127.0.0.1 -p "$port"; do
    tries=$((tries + 1))
    if ! kill -0 "$server" 2>/dev/null || [ $tries -gt 1200 ]; then cat "$scratch/server.log" >&2; exit 1; fi
    sleep 0.1
done
"$bin/createdb" -h 127.0.0.1 -p "$port" -U desk desk
export OMNI_DESK_TEST_POSTGRES="postgresql://desk@127.0.0.1:$port/desk"
"$@"
