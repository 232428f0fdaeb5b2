#!/usr/bin/env bash
# Installs what is missing, builds, starts the servers the tests need (PostgreSQL), runs the
# whole test suite and stops the servers again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
pgdir=$(mktemp -d /tmp/bankrec-pg.XXXXXX)
port=$((20000 + RANDOM % 20000))
trap 'scripts/pg.sh stop "$pgdir"; rm -rf "$pgdir"' EXIT
scripts/pg.sh start "$pgdir" "$port"
export BANKREC_TEST_PG_SERVER="postgresql://127.0.0.1:$port"
export BANKREC_TEST_PG_USER="tvadmin"
export BANKREC_TEST_PG_PASSWORD="bankrec;test pass'word"
ctest --preset default
