#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the demo and the tests need (only what is missing).
set -euo pipefail
PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
    libsqlite3-dev sqlite3 libpq-dev libturbojpeg0-dev libcups2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    postgresql xvfb xauth x11-utils imagemagick python3 clang-format
    cups cups-client printer-driver-cups-pdf poppler-utils fonts-dejavu-core
    liborcus-dev libixion-dev libboost-dev libreoffice-calc-nogui python3-uno
    clang libclang-rt-14-dev
)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
