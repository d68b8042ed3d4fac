#!/usr/bin/env bash
# Runs a sanitized test executable with Mesa's DRI driver loaded from the start. Mesa
# unloads the driver before exit otherwise, and LeakSanitizer can then neither name nor
# suppress the allocations the driver keeps for the process's life.
set -euo pipefail
asan=$(gcc -print-file-name=libasan.so)
dri=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n1 || true)
if [ -n "$dri" ]; then
  export LD_PRELOAD="$asan:$dri${LD_PRELOAD:+:$LD_PRELOAD}"
fi
exec "$@"
