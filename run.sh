#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Stampwell and starts it. Without a desktop session (no
# DISPLAY or WAYLAND_DISPLAY) it runs a demonstration through stampwell-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session here (DISPLAY and WAYLAND_DISPLAY are unset): running the"
  echo "command-line demonstration instead of the desktop program."
  echo
  exec scripts/demo.sh build/default/bin
fi
exec build/default/bin/stampwell "$@"
