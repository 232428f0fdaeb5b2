#!/usr/bin/env bash
# Installs what is missing, builds, makes a fresh demo (a stand-in suite database and an empty
# data folder) under demo/ and starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
rm -rf demo
mkdir -p demo/suite demo/data
if [ -x build/tvhost/tvhost ]; then
    build/tvhost/tvhost init --server "sqlite:$PWD/demo/suite" --division 3 --demo
fi
if [ -x build/bankrec/bankrec ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/bankrec/bankrec Division=3 "DataPath=$PWD/demo/data" "Server=sqlite:$PWD/demo/suite" \
        UserID=demo Password=demo TVUser=1
fi
exec build/bankrec/bankrec-cli Division=3 "DataPath=$PWD/demo/data" "Server=sqlite:$PWD/demo/suite" \
    UserID=demo Password=demo TVUser=1 check
