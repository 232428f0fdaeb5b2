#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL server on a local port for the tests.
#   scripts/pg.sh start DIR PORT   prints the environment the tests read
#   scripts/pg.sh stop DIR
set -euo pipefail
action=$1
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$action" in
start)
    port=$3
    rm -rf "$dir"
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
    pwfile=$(mktemp)
    echo "bankrec;test pass'word" >"$pwfile"
    [ "$(id -u)" -eq 0 ] && chown postgres "$pwfile"
    as_owner "$bin/initdb" -D "$dir/data" -U tvadmin --pwfile="$pwfile" -A scram-sha-256 >"$dir/initdb.log" 2>&1
    rm -f "$pwfile"
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
        -o "-p $port -k $dir -c listen_addresses=127.0.0.1" start >/dev/null
    ;;
stop)
    [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    ;;
esac
