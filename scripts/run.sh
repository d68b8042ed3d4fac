#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer in the caller's working directory,
# so that NET and everything it saves are where the caller is; it finds the default
# cubemap.png beside itself when there is none there. Arguments go to the viewer unchanged.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" run
"$root/scripts/build.sh" >&2
if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<MSG
Patchlume needs an X display, and DISPLAY is not set.
Run it on a desktop session, or under a virtual one:
  sudo apt-get install xvfb && Xvfb :77 -screen 0 1280x1024x24 & DISPLAY=:77 scripts/run.sh
MSG
  exit 1
fi
exec "$root/build/bin/patchlume" "$@"
