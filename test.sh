#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Stampwell and runs every test through CTest.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default "$@"
# On CI (CI set) or when asked (STAMPWELL_TSAN=1): the threaded tests that need no office
# (runner, pool, thread, core claims, command line) once more under ThreadSanitizer, built
# apart in build/tsan.
if [[ -n "${CI:-}" || -n "${STAMPWELL_TSAN:-}" ]]; then
  cmake --preset tsan
  cmake --build --preset tsan
  ctest --preset tsan
fi
