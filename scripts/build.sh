#!/usr/bin/env bash
# Configures and builds the Release tree in build/.
#   scripts/build.sh            everything: the programs, their data, the tests and benchmarks
#   scripts/build.sh --viewer   the viewer, the converter and their data only, which need none
#                               of the test packages; a tree configured with the tests keeps them
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build
if [ "${1:-}" = --viewer ]; then
  # Configured only once here: the options a full build set stay, so that either command
  # after the other rebuilds nothing that is built.
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DPATCHLUME_TESTS=OFF -DPATCHLUME_BENCH=OFF >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" --target patchlume patchlume-atlas patchlume_data
else
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DPATCHLUME_TESTS=ON -DPATCHLUME_BENCH=ON >/dev/null
  cmake --build "$dir" -j"$(nproc)"
fi
