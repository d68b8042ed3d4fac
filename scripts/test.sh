#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, GL, end-to-end) through
# ctest under an Xvfb display of its own. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh"
cd "$root/build"
"$root/scripts/with-xvfb.sh" ctest --output-on-failure -j"$(nproc)"
