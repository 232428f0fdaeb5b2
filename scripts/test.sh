#!/usr/bin/env bash
# Installs what is missing, builds, starts the servers the tests need (PostgreSQL), runs the
# whole test suite, then the tests without windows under the sanitizers (preset asan) and the
# import's fuzz targets for a short time each (preset fuzz), and stops the servers again (the
# printing tests start and stop CUPS servers of their own under BANKREC_TEST_CUPS_ROOT; any left
# there are stopped at the end).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
pgdir=$(mktemp -d /tmp/bankrec-pg.XXXXXX)
port=$((20000 + RANDOM % 20000))
cupsroot=$(mktemp -d /tmp/bankrec-cups.XXXXXX)
trap 'scripts/pg.sh stop "$pgdir"; rm -rf "$pgdir"; scripts/cups.sh stop-all "$cupsroot"; rm -rf "$cupsroot"' EXIT
scripts/pg.sh start "$pgdir" "$port"
export BANKREC_TEST_PG_SERVER="postgresql://127.0.0.1:$port"
export BANKREC_TEST_PG_USER="tvadmin"
export BANKREC_TEST_PG_PASSWORD="bankrec;test pass'word"
export BANKREC_TEST_CUPS_ROOT="$cupsroot"
ctest --preset default
# The tests without windows once more, built with AddressSanitizer and UndefinedBehaviorSanitizer
# (only the programs they need).
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
# The import's fuzz targets (clang, the "fuzz" preset), each for a short time on its kept corpus.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scripts/fuzz.sh 20
