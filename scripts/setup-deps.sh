#!/usr/bin/env bash
# Installs the Debian packages Quillon needs:
#   scripts/setup-deps.sh run    building and running the program (scripts/run)
#   scripts/setup-deps.sh test   that, and testing, fuzzing, benchmarks and the package (scripts/test, CI)
# Idempotent: packages already installed are skipped; nothing is done when all are present.
set -euo pipefail

run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n libsqlite3-dev libcups2-dev libharfbuzz-dev libdeflate-dev
  fonts-liberation2 fonts-liberation fonts-wine fonts-dejavu-core
  xvfb xauth
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  cups cups-bsd printer-driver-cups-pdf poppler-utils qpdf imagemagick emf2svg
  clang libclang-rt-14-dev
  locales fonts-dejavu-extra
  enscript paps
  dpkg-dev file desktop-file-utils shared-mime-info
)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

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
