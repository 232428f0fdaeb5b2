#!/usr/bin/env bash
# Configures and builds the whole project with the default preset (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default
