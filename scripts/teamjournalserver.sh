# SPDX-License-Identifier: GPL-3.0-or-later
# A PostgreSQL 15 server for the team journal's tests, sourced by scripts/test after setup.sh:
# start_team_journal_server makes a cluster in a mktemp folder, serves it on a free loopback
# port with TLS (a self-signed certificate) and password logins, makes the journal's database
# and a laptop's login in the team's role, and exports KORVEL_TEST_TEAM_JOURNAL, the libpq
# connection string the tests use. The server is stopped and the folder removed on exit.

TEAM_JOURNAL_PACKAGES=(postgresql-15 openssl)
PG_BIN=/usr/lib/postgresql/15/bin

# The cluster's owner: initdb refuses root, which CI runs as.
as_cluster_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

free_loopback_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

stop_team_journal_server() {
    [ -n "${TEAM_JOURNAL_DIR:-}" ] || return 0
    as_cluster_owner "$PG_BIN/pg_ctl" -D "$TEAM_JOURNAL_DIR/data" -m immediate stop \
        >/dev/null 2>&1 || true
    rm -rf "$TEAM_JOURNAL_DIR"
    TEAM_JOURNAL_DIR=
}

start_team_journal_server() {
    TEAM_JOURNAL_DIR=$(mktemp -d /tmp/korvel-teamjournal.XXXXXX)
    trap stop_team_journal_server EXIT
    local dir=$TEAM_JOURNAL_DIR password port
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir"; fi
    password=$(head -c 18 /dev/urandom | base64 | tr -d '/+=')
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 \
        -keyout "$dir/server.key" -out "$dir/root.crt" 2>/dev/null
    chmod 600 "$dir/server.key"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$dir/server.key" "$dir/root.crt"; fi
    as_cluster_owner "$PG_BIN/initdb" -D "$dir/data" -U postgres --auth-local=trust \
        --auth-host=scram-sha-256 >"$dir/initdb.log"
    local tries=0
    until port=$(free_loopback_port) && as_cluster_owner "$PG_BIN/pg_ctl" -D "$dir/data" -w \
        -l "$dir/server.log" -o "-c listen_addresses=127.0.0.1 -c port=$port \
        -c unix_socket_directories=$dir -c ssl=on -c ssl_cert_file=$dir/root.crt \
        -c ssl_key_file=$dir/server.key -c fsync=off" start >/dev/null; do
        tries=$((tries + 1))
        [ $tries -lt 3 ] || { cat "$dir/server.log" >&2; return 1; }
    done
    local psql=(as_cluster_owner "$PG_BIN/psql" -q -h "$dir" -p "$port" -U postgres -v ON_ERROR_STOP=1)
    "${psql[@]}" -d postgres <<SQL
CREATE ROLE korvel_team NOLOGIN;
CREATE ROLE korvel_laptop LOGIN PASSWORD '$password' IN ROLE korvel_team;
CREATE DATABASE korvel_journal;
SQL
    "${psql[@]}" -d korvel_journal -v team=korvel_team -f - <"$ROOT/scripts/teamjournal.sql"
    # The password where libpq looks for it; the tests point PGPASSFILE here.
    echo "127.0.0.1:$port:korvel_journal:korvel_laptop:$password" >"$dir/pgpass"
    chmod 600 "$dir/pgpass"
    export KORVEL_TEST_TEAM_JOURNAL="host=127.0.0.1 port=$port dbname=korvel_journal user=korvel_laptop passfile=$dir/pgpass sslrootcert=$dir/root.crt"
}
