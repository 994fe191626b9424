#!/usr/bin/env bash
# A throw-away PostgreSQL server on loopback for the tests against a real database.
#
#   eval "$(bash scripts/pgserver.sh start)"   # starts it, prints export lines
#   bash scripts/pgserver.sh stop              # stops it and removes its folder
#
# start: initializes a cluster in a new temporary folder (as the postgres user when
# run as root, since the server refuses to run as root), picks a free port on
# 127.0.0.1, starts the server and creates a test role and database. Connections
# over TCP must give the role's password, so tests can see a wrong one refused;
# the script itself works through the server's socket in the folder. It prints
# "export NAME=value" lines for NVQB_PG_HOST, NVQB_PG_PORT, NVQB_PG_DATABASE,
# NVQB_PG_USER, NVQB_PG_PASSWORD and NVQB_PG_DIR, and writes the same lines to
# "$NVQB_PG_DIR/env". Progress and errors go to stderr.
#
# stop [DIR]: stops the server of DIR (default $NVQB_PG_DIR) and removes DIR.
# Stopping a server that is not running, or an unknown folder, is not an error,
# so it can sit in an EXIT trap.
set -euo pipefail

die() { echo "pgserver: $*" >&2; exit 1; }

pg_bindir() {
  local dir
  if command -v pg_config >/dev/null 2>&1 && [ -x "$(pg_config --bindir)/initdb" ]; then
    pg_config --bindir
    return
  fi
  dir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)"
  [ -n "$dir" ] && [ -x "$dir/initdb" ] || die "no PostgreSQL server binaries found (install the postgresql package)"
  echo "$dir"
}

# Runs a command as the server's owner: the postgres user when we are root.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

port_in_use() {
  # A connection that succeeds means someone listens there.
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

free_port() {
  local port tries=0
  while [ $tries -lt 50 ]; do
    port=$(( 20000 + RANDOM % 20000 ))
    if ! port_in_use "$port"; then
      echo "$port"
      return
    fi
    tries=$((tries + 1))
  done
  die "no free port found on 127.0.0.1"
}

start() {
  local bindir dir port db user password attempt started=0
  bindir="$(pg_bindir)"
  dir="$(mktemp -d "${TMPDIR:-/tmp}/nvqb-pg.XXXXXX")"
  if [ "$(id -u)" -eq 0 ]; then
    getent passwd postgres >/dev/null || die "user postgres does not exist (install the postgresql package)"
    chown postgres: "$dir"
  fi
  chmod 700 "$dir"
  db=nvqb_test
  user=nvqb_test
  password=nvqb_test

  as_owner "$bindir/initdb" -D "$dir/data" -U postgres --auth-local=trust --auth-host=scram-sha-256 \
    -E UTF8 --locale=C.UTF-8 \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; rm -rf "$dir"; die "initdb failed"; }

  # A port can be taken between choosing and binding it; try a few.
  for attempt in 1 2 3 4 5; do
    port="$(free_port)"
    if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
         -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off" start >/dev/null 2>&1; then
      started=1
      break
    fi
  done
  if [ $started -ne 1 ]; then
    cat "$dir/server.log" >&2 2>/dev/null || true
    rm -rf "$dir"
    die "the server did not start"
  fi

  local psql=("$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -U postgres -d postgres)
  if ! as_owner "${psql[@]}" -c "CREATE ROLE $user LOGIN PASSWORD '$password'" >&2 ||
     ! as_owner "${psql[@]}" -c "CREATE DATABASE $db OWNER $user" >&2; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$dir"
    die "could not create the test role and database"
  fi

  {
    echo "export NVQB_PG_HOST=127.0.0.1"
    echo "export NVQB_PG_PORT=$port"
    echo "export NVQB_PG_DATABASE=$db"
    echo "export NVQB_PG_USER=$user"
    echo "export NVQB_PG_PASSWORD=$password"
    echo "export NVQB_PG_DIR=$dir"
  } | tee "$dir/env"
  echo "pgserver: PostgreSQL running on 127.0.0.1:$port, folder $dir" >&2
}

stop() {
  local dir="${1:-${NVQB_PG_DIR:-}}" bindir
  [ -n "$dir" ] || die "stop: no folder given and NVQB_PG_DIR is not set"
  [ -d "$dir" ] || { echo "pgserver: $dir does not exist; nothing to stop" >&2; return 0; }
  case "$(basename "$dir")" in
    nvqb-pg.*) ;;
    *) die "stop: $dir is not a folder made by this script" ;;
  esac
  bindir="$(pg_bindir)"
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 30 stop >/dev/null 2>&1 ||
      as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  echo "pgserver: stopped and removed $dir" >&2
}

case "${1:-}" in
  start) start ;;
  stop) shift; stop "$@" ;;
  *) echo "usage: $0 start | stop [DIR]" >&2; exit 2 ;;
esac
