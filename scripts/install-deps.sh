#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Orvane needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev libgl-dev
  libpq-dev postgresql
  libfmt-dev libcurl4-openssl-dev nlohmann-json3-dev libcli11-dev
  libxml2-dev libxml2-utils libxmlsec1-dev xmlsec1 libssl-dev openssl
  libsqlite3-dev sqlite3
  python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
