#!/usr/bin/env bash
# Installs what is missing, builds, makes a fresh demo under demo/ (a stand-in suite: its SQL
# database and data files, and the program's record files, all in demo/data as the suite keeps
# them) and starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
rm -rf demo
mkdir -p demo/data
data="$PWD/demo/data"
build/tvhost/tvhost init --server "sqlite:$data" --division 3 --data "$data" --demo
args=(Division=3 "DataPath=$data" "Server=sqlite:$data" UserID=demo Password=demo TVUser=1)
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/bankrec/bankrec "${args[@]}"
fi
# No display: show the same demo through the command-line twin of the program.
echo "No display: the demo through bankrec-cli (run scripts/demo.sh on a desktop to see the windows)."
build/bankrec/bankrec-cli "${args[@]}" banks load
build/bankrec/bankrec-cli "${args[@]}" banks list
build/bankrec/bankrec-cli "${args[@]}" activity load "Operating Account"
exec build/bankrec/bankrec-cli "${args[@]}" activity list "Operating Account"
