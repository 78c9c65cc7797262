#!/usr/bin/env bash
# A throwaway PostgreSQL server for the database tests and benchmarks, in folder DIR, on a
# Unix socket there and no TCP port.
#   pgserver.sh start DIR   makes the cluster when DIR holds none, then starts it
#   pgserver.sh stop DIR    stops it (fast: clients are cut off), keeping the cluster
#   pgserver.sh clean DIR   stops it at once and removes DIR
# Run as root, the server runs as the postgres user. Without PostgreSQL 15 installed, or when
# it cannot start, "start" says why in one line, leaves it in DIR/unavailable for the tests
# to skip with, and succeeds; TAVEN_REQUIRE_DATABASE=1 makes that a failure.
set -uo pipefail
bin=${TAVEN_PG_BIN:-/usr/lib/postgresql/15/bin}
action=${1:?start, stop or clean}
dir=${2:?folder}

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        (cd / && runuser -u postgres -- "$@")
    else
        "$@"
    fi
}

stop() { # mode
    [ -f "$dir/data/postmaster.pid" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m "$1" -w -t 30 stop >/dev/null
    return 0
}

unavailable() {
    echo "PostgreSQL tests skipped: $1" | tee "$dir/unavailable" >&2
    [ "${TAVEN_REQUIRE_DATABASE:-0}" = 1 ] && exit 1
    exit 0
}

start() {
    mkdir -p "$dir" && chmod 700 "$dir" && rm -f "$dir/unavailable"
    [ -x "$bin/initdb" ] || unavailable "$bin/initdb not found (Debian package postgresql)"
    if [ "$(id -u)" -eq 0 ]; then
        id postgres >/dev/null 2>&1 || unavailable "no postgres user to run the server as"
        chown postgres: "$dir"
    fi
    if [ ! -d "$dir/data" ]; then
        as_owner "$bin/initdb" -D "$dir/data" -U postgres --auth=trust --no-locale -E UTF8 >"$dir/initdb.log" 2>&1 ||
            unavailable "initdb failed: $(tail -n 1 "$dir/initdb.log")"
    fi
    # Only the socket in DIR; the server's durability is no concern of the tests.
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -o "-c listen_addresses='' \
        -c unix_socket_directories='$dir' -c max_connections=60 -c fsync=off -c synchronous_commit=off \
        -c full_page_writes=off -c dynamic_shared_memory_type=mmap" start >/dev/null ||
        { stop immediate; unavailable "the server did not start: $(tail -n 1 "$dir/server.log")"; }
}

case $action in
start) start ;;
stop) stop fast ;;
clean) stop immediate && rm -rf "$dir" ;;
*) echo "unknown action $action" >&2 && exit 2 ;;
esac
