#!/usr/bin/env bash
# Throwaway PostgreSQL 15 server for the tests and the demo.
#
#   bash scripts/pg.sh start    start it (again: nothing to do), wait until it answers
#   bash scripts/pg.sh stop     stop it and delete its folder
#   bash scripts/pg.sh status   exit 0 when it runs
#
# It listens on 127.0.0.1:1987 with password authentication for the user postgres (the
# password ZVCFGCFI.INI selects when SenhaSegura is not "SIM"), keeps its data in a temporary
# folder (ORVANE_PG_DIR, default /tmp/orvane-pg-1987) and runs as the postgres system user when
# started by root. fsync is off: nothing here is worth keeping.
#
# Two template databases let every test clone its own database in a moment:
#   vendara_modelo  Vendara's tables (schema/vendara.sql)
#   remoto_modelo   the maker's remote tables (schema/remoto.sql)
# Each is rebuilt on start when its schema file has changed since it was made.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
PGBIN="${PGBIN:-/usr/lib/postgresql/15/bin}"
PORTA=1987
SENHA='tbuk6h1j0s5'
BASE="${ORVANE_PG_DIR:-/tmp/orvane-pg-$PORTA}"
DADOS="$BASE/data"
LOG="$BASE/postgres.log"

if [ "$(id -u)" -eq 0 ]; then
  DONO=postgres
else
  DONO="$(id -un)"
fi

# Runs a command as the server's owner, from a folder that owner can enter; the lock stays
# with this script (the server must not inherit it).
como_dono() {
  if [ "$(id -u)" -eq 0 ]; then
    (cd / && runuser -u postgres -- "$@") 9>&-
  else
    (cd / && "$@") 9>&-
  fi
}

# psql over the socket in the server's folder (trusted there; TCP asks for the password).
psql_adm() {
  como_dono "$PGBIN/psql" -X -q -v ON_ERROR_STOP=1 -h "$BASE" -p "$PORTA" -U postgres "$@"
}

rodando() {
  [ -f "$DADOS/PG_VERSION" ] && como_dono "$PGBIN/pg_ctl" -D "$DADOS" status >/dev/null 2>&1
}

# One start or stop at a time (parallel test runs may call start together).
travar() {
  exec 9>"$BASE.lock"
  flock 9
}

inicializar() {
  rm -rf "$BASE"
  mkdir -p "$BASE"
  chown "$DONO" "$BASE"
  chmod 700 "$BASE"
  local senha_arq="$BASE/senha"
  printf '%s\n' "$SENHA" >"$senha_arq"
  chown "$DONO" "$senha_arq"
  como_dono "$PGBIN/initdb" -D "$DADOS" -U postgres -E UTF8 --no-locale --no-sync \
    --auth-local=trust --auth-host=scram-sha-256 --pwfile="$senha_arq" >"$BASE/initdb.log" 2>&1 || {
    cat "$BASE/initdb.log" >&2
    return 1
  }
  rm -f "$senha_arq"
  cat >>"$DADOS/postgresql.conf" <<EOF

# Throwaway server for Orvane's tests and demo.
listen_addresses = '127.0.0.1'
port = $PORTA
unix_socket_directories = '$BASE'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 100
log_min_messages = warning
log_line_prefix = '%m [%p] %d '
EOF
  # Only the loopback, and only with the password.
  cat >"$DADOS/pg_hba.conf" <<EOF
local all all trust
host  all all 127.0.0.1/32 scram-sha-256
EOF
  chown "$DONO" "$DADOS/postgresql.conf" "$DADOS/pg_hba.conf"
}

# Creates (or rebuilds) a template database from a schema file when the file has changed.
modelo() {
  local nome="$1" arquivo="$2" soma atual
  soma="$(sha256sum "$arquivo" | cut -c1-64)"
  atual="$(psql_adm -d postgres -tA -c \
    "SELECT shobj_description(oid, 'pg_database') FROM pg_database WHERE datname = '$nome'")"
  [ "$atual" = "$soma" ] && return 0
  if [ -n "$(psql_adm -d postgres -tA -c "SELECT 1 FROM pg_database WHERE datname = '$nome'")" ]; then
    psql_adm -d postgres -c "ALTER DATABASE $nome WITH is_template false" \
      -c "DROP DATABASE $nome WITH (FORCE)"
  fi
  psql_adm -d postgres -c "CREATE DATABASE $nome TEMPLATE template0 ENCODING 'UTF8'"
  psql_adm -d "$nome" <"$arquivo"
  psql_adm -d postgres -c "COMMENT ON DATABASE $nome IS '$soma'" \
    -c "ALTER DATABASE $nome WITH is_template true"
}

iniciar() {
  travar
  if ! rodando; then
    if [ ! -f "$DADOS/PG_VERSION" ]; then
      inicializar
    fi
    touch "$LOG"
    chown "$DONO" "$LOG"
    if ! como_dono "$PGBIN/pg_ctl" -D "$DADOS" -l "$LOG" -w -t 60 start >/dev/null; then
      echo "pg.sh: the server did not start; its log:" >&2
      tail -n 30 "$LOG" >&2
      return 1
    fi
  fi
  local i
  for i in $(seq 1 60); do
    "$PGBIN/pg_isready" -q -h 127.0.0.1 -p "$PORTA" && break
    sleep 0.5
  done
  "$PGBIN/pg_isready" -q -h 127.0.0.1 -p "$PORTA" || {
    echo "pg.sh: the server does not answer on 127.0.0.1:$PORTA; log: $LOG" >&2
    return 1
  }
  modelo vendara_modelo "$root/schema/vendara.sql"
  modelo remoto_modelo "$root/schema/remoto.sql"
  echo "pg.sh: PostgreSQL on 127.0.0.1:$PORTA (user postgres); log: $LOG"
}

parar() {
  travar
  if rodando; then
    como_dono "$PGBIN/pg_ctl" -D "$DADOS" -m fast -w -t 60 stop >/dev/null
  fi
  rm -rf "$BASE"
  echo "pg.sh: stopped"
}

case "${1:-}" in
  start) iniciar ;;
  stop) parar ;;
  status)
    if rodando; then
      echo "pg.sh: running on 127.0.0.1:$PORTA; log: $LOG"
    else
      echo "pg.sh: not running"
      exit 3
    fi
    ;;
  *)
    echo "usage: $0 start|stop|status" >&2
    exit 2
    ;;
esac
