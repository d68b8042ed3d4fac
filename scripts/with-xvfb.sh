#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server, stopped afterwards.
set -euo pipefail
numfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$numfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$numfile"' EXIT
for _ in $(seq 100); do
  [ -s "$numfile" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb failed to start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$numfile" ] || { echo "Xvfb did not report a display" >&2; exit 1; }
DISPLAY=":$(head -n1 "$numfile")" "$@"
