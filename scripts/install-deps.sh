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
  python3 locales
)

# A comma-decimal locale, so that tests can show that number text never follows the locale.
gerar_locale() {
  locale -a 2>/dev/null | grep -qi '^pt_BR\.utf-\?8$' && return 0
  ${SUDO:-} localedef -i pt_BR -f UTF-8 pt_BR.UTF-8 || echo "install-deps: pt_BR.UTF-8 not generated"
}

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  gerar_locale
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
gerar_locale
