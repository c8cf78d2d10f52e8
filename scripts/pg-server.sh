#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL server for the tests: a fresh cluster in a
# temporary folder, listening only on a unix socket in that folder.
#   scripts/pg-server.sh start DIR   -> prints the libpq connection string
#   scripts/pg-server.sh stop DIR
set -euo pipefail
action="$1"
dir="$2"
bindir="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)"

as_pg() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "$action" in
start)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir"; chmod 700 "$dir"; fi
    as_pg "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C >"$dir/initdb.log" 2>&1
    # One role logs in with a password, so that wrong passwords can be tested.
    hba="$dir/data/pg_hba.conf"
    { echo "local all zv_login scram-sha-256"; cat "$hba"; } >"$hba.new" && mv "$hba.new" "$hba"
    if [ "$(id -u)" -eq 0 ]; then chown postgres "$hba"; fi
    as_pg "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c port=5432 -c fsync=off -c max_connections=200" \
        start >/dev/null
    as_pg "$bindir/psql" -h "$dir" -p 5432 -U postgres -d postgres -q \
        -c "CREATE ROLE zv_login LOGIN PASSWORD 'zv_secret'" -c "GRANT ALL ON SCHEMA public TO zv_login" >/dev/null
    echo "host=$dir port=5432 dbname=postgres user=postgres"
    ;;
stop)
    as_pg "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    ;;
esac
