#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package Stampwell needs to build, run and test.
# Quick when everything is present already: apt is only touched for missing packages.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

BASE_PKGS=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libzip-dev libpugixml-dev libgsf-1-dev zlib1g-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig1-dev poppler-utils xvfb xauth
  libqpdf-dev libfreetype-dev libpoppler-cpp-dev
  fonts-dejavu-core fonts-liberation procps x11-utils
  dpkg-dev file desktop-file-utils appstream man-db unzip python3 python3-olefile
  debhelper lintian fakeroot qt6-l10n-tools qt6-tools-dev)
OFFICE_PKGS=(libreoffice-writer libreoffice-calc libreoffice-impress libreoffice-dev
  libreoffice-script-provider-python-)

missing=()
for p in "${BASE_PKGS[@]}" libreoffice-writer libreoffice-calc libreoffice-impress libreoffice-dev; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# LibreOffice must be 25.2 or newer: it imports and exports the legacy binary formats better.
office_version() { dpkg-query -W -f='${Version}' libreoffice-core 2>/dev/null | sed -E 's/^[0-9]+://' || true; }
need_new_office=0
v=$(office_version)
if [ -n "$v" ]; then
  major=${v%%.*}
  if [ "${major:-0}" -lt 25 ]; then need_new_office=1; fi
fi

if [ ${#missing[@]} -eq 0 ] && [ $need_new_office -eq 0 ]; then
  echo "install-deps: everything is present"
  exit 0
fi

codename=""
if [ -r /etc/os-release ]; then . /etc/os-release; codename=${VERSION_CODENAME:-}; fi

use_backports=0
if [ "${ID:-}" = "debian" ] && [ "$codename" = "bookworm" ]; then
  use_backports=1
  list=/etc/apt/sources.list.d/stampwell-backports.list
  if ! grep -rqs "bookworm-backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "deb http://deb.debian.org/debian bookworm-backports main" | $SUDO tee "$list" >/dev/null
  fi
fi

$SUDO apt-get update -q
base_missing=()
for p in "${BASE_PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    base_missing+=("$p")
  fi
done
if [ ${#base_missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -q --no-install-recommends "${base_missing[@]}"
fi
if [ $use_backports -eq 1 ]; then
  $SUDO apt-get install -y -q --no-install-recommends -t bookworm-backports "${OFFICE_PKGS[@]}"
else
  $SUDO apt-get install -y -q --no-install-recommends "${OFFICE_PKGS[@]}"
fi
echo "install-deps: done"
