#!/usr/bin/env bash
# Installs what is missing, builds Stampwell and runs every test through CTest.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default "$@"
