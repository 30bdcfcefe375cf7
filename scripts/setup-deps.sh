#!/usr/bin/env bash
# Installs every Debian package Quillon needs to build, test, fuzz and run.
# Idempotent: packages already installed are skipped; nothing is done when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev libcups2-dev
  libharfbuzz-dev libdeflate-dev
  fonts-liberation2 fonts-liberation fonts-wine
  xvfb xauth cups printer-driver-cups-pdf poppler-utils qpdf imagemagick emf2svg
  clang libclang-rt-14-dev
  enscript paps
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
