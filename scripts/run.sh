#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer in the caller's working directory,
# so that NET and everything it saves are where the caller is; it finds the default
# cubemap.png beside itself when there is none there. Arguments go to the viewer unchanged.
#   PATCHLUME_BUILD_DIR=dir   runs that tree's viewer as it is, installing and building
#                             nothing (the tests use it on the tree they belong to)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PATCHLUME_BUILD_DIR:-}
if [ -z "$build" ]; then
  # What installing and building print goes to stderr: stdout is the viewer's
  # (scripts/run.sh --help | less).
  "$root/scripts/deps.sh" run >&2
  "$root/scripts/build.sh" --viewer >&2
  build=$root/build
fi
case " $* " in
  *" --help "* | *" --version "*) ;;  # answered without a display
  *)
    if [ -z "${DISPLAY:-}" ]; then
      cat >&2 <<MSG
Patchlume needs an X display, and DISPLAY is not set.
Run it on a desktop session, or under a virtual one:
  sudo apt-get install xvfb && Xvfb :77 -screen 0 1280x1024x24 & DISPLAY=:77 scripts/run.sh
MSG
      exit 1
    fi
    ;;
esac
exec "$build/bin/patchlume" "$@"
