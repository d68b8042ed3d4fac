#!/usr/bin/env bash
# Builds the Debian package in build/ (cpack -G DEB) and checks what it ships with the
# validators users' desktops and Debian apply: desktop-file-validate, appstreamcli validate,
# update-mime-database, groff's warnings on every manual page in docs/man, and lintian on the
# package. Any error or warning of the first four, or an error of lintian, fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" >/dev/null
cd "$root/build"
rm -f patchlume_*.deb
cpack -G DEB >/dev/null
deb=$(ls patchlume_*.deb)
echo "package: $deb"

desktop-file-validate share/applications/*.desktop
appstreamcli validate --no-net share/metainfo/*.metainfo.xml
# The MIME package as the desktop's database builds it, from a copy: any warning fails.
mime=$(mktemp -d)
trap 'rm -rf "$mime"' EXIT
cp -r share/mime "$mime/"
warnings=$(XDG_DATA_DIRS="$mime:/usr/share" update-mime-database "$mime/mime" 2>&1)
if [ -n "$warnings" ]; then
  echo "share/mime: $warnings" >&2
  exit 1
fi
for page in "$root"/docs/man/*.1; do
  warnings=$(groff -man -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page: $warnings" >&2
    exit 1
  fi
  man -l "$page" >/dev/null
done
# lintian exits non-zero on an error; warnings are shown, not fatal.
lintian --fail-on error "$deb"
echo "package checks passed"
