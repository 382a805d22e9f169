#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Orvane and runs every test.
# Exits non-zero when anything fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh"

# The database tests need the throwaway PostgreSQL server; stop it whatever happens.
if [ -x "$root/scripts/pg.sh" ]; then
  trap 'bash "$root/scripts/pg.sh" stop || true' EXIT
  bash "$root/scripts/pg.sh" start
fi

cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
