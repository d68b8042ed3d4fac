#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer in assets/, next to the default
# cubemap.png. Arguments go to the viewer (and so to GLUT) unchanged.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" run
"$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<MSG
Patchlume needs an X display, and DISPLAY is not set.
Run it on a desktop session, or under a virtual one:
  sudo apt-get install xvfb && Xvfb :1 -screen 0 1280x1024x24 & DISPLAY=:1 scripts/run.sh
MSG
  exit 1
fi
cd "$root/assets"
exec "$root/build/patchlume" "$@"
