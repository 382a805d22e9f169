#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs Orvane's main job on the embedded demo defaults.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh"

echo
echo "Orvane built in $build. Parts available so far:"
find "$build" -maxdepth 3 -type f -executable \( -name 'orvane*' -o -name 'satemu*' -o -name 'libsatemu.so' \) | sort
