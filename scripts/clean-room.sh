#!/usr/bin/env bash
# The README's two commands on a fresh Debian 12, as a new user runs them: a minimal root
# (debootstrap's minbase with git, entered with chroot) gets a clean clone of HEAD, then
#   1. scripts/run.sh, until the viewer has opened its window and drawn its first frame on a
#      virtual display this script provides (it prints "width: W height: H"), then it is closed;
#   2. scripts/test.sh, to its end, in the same root after the first (sharing its build tree).
# Prints how long each took. The base root is made once and kept as a tar file; every run
# unpacks it anew, so nothing installed by an earlier run is there. Run as root (chroot and
# mounts), from anywhere in the project. Exit status 0 when both passed.
#   PATCHLUME_CLEAN_ROOM_CACHE=file   where the base root is kept
#                                     (/var/cache/patchlume/bookworm-minbase.tar)
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "clean-room: run as root (chroot and mounts)" >&2; exit 2; }
project=$(cd "$(dirname "$0")/.." && git rev-parse --show-toplevel)
cache=${PATCHLUME_CLEAN_ROOM_CACHE:-/var/cache/patchlume/bookworm-minbase.tar}
mirror=http://deb.debian.org/debian

# What the check itself needs on this machine: debootstrap, and Xvfb and xwininfo for the
# display the viewer in the root draws on.
missing=()
for tool in debootstrap:debootstrap Xvfb:xvfb xwininfo:x11-utils; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -s "$cache" ]; then
  echo "clean-room: making the base root (once)"
  mkdir -p "$(dirname "$cache")"
  base=$(mktemp -d /tmp/patchlume-base-XXXXXX)
  debootstrap --variant=minbase --include=git,ca-certificates bookworm "$base" "$mirror" >/dev/null
  # The suites a fresh installation has, security updates included.
  cat >"$base/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
  rm -rf "$base"/var/cache/apt/archives/*.deb "$base"/var/lib/apt/lists/*
  tar -C "$base" -cf "$cache.part" . && mv "$cache.part" "$cache"
  rm -rf --one-file-system "$base"
fi

root=$(mktemp -d /tmp/patchlume-clean-room-XXXXXX)
logs=$(mktemp -d)
xvfb=""
viewer=""
cleanup() {
  [ -n "$viewer" ] && kill -KILL -- "-$viewer" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  for m in tmp/.X11-unix dev/pts dev/shm dev proc sys; do umount -l "$root/$m" 2>/dev/null; done
  rm -rf --one-file-system "$root" "$logs"
}
trap cleanup EXIT
tar -C "$root" -xf "$cache"
# mktemp made it private; as /, anyone must be able to enter it (tests run a viewer as nobody).
chmod 755 "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs shm "$root/dev/shm"
git clone -q --no-hardlinks "$project" "$root/home/project"
git -C "$root/home/project" checkout -q "$(git -C "$project" rev-parse HEAD)"

# The virtual display: Xvfb here, its socket shown inside the root.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$logs/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$logs/display" ] && break; sleep 0.1; done
[ -s "$logs/display" ] || { echo "clean-room: Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$logs/display")"
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

# A shell in the clone inside the root, with the environment of a fresh login: no variable
# of this one leaks in.
in_root=(chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI=true DISPLAY="$display"
         PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c)

echo "clean-room: commit $(git -C "$project" rev-parse --short HEAD) in a fresh Debian 12 root"
echo "clean-room: 1. scripts/run.sh"
start=$SECONDS
# A process group of its own, so that the viewer and all that started it end together.
setsid "${in_root[@]}" "cd /home/project && scripts/run.sh" </dev/null >"$logs/run.out" 2>"$logs/run.err" &
viewer=$!
frame=""
while kill -0 "$viewer" 2>/dev/null && [ $((SECONDS - start)) -lt 900 ]; do
  if grep -qE '^width: [0-9]+ height: [0-9]+$' "$logs/run.out" &&
    DISPLAY=$display xwininfo -name Patchlume >/dev/null 2>&1; then
    frame=$((SECONDS - start))
    break
  fi
  sleep 0.5
done
kill -KILL -- "-$viewer" 2>/dev/null || true
wait "$viewer" 2>/dev/null || true
viewer=""
if [ -z "$frame" ]; then
  echo "clean-room: scripts/run.sh did not reach the viewer's first frame; its output:" >&2
  tail -n 40 "$logs/run.err" >&2
  cat "$logs/run.out" >&2
  exit 1
fi
echo "clean-room: scripts/run.sh reached the first frame ($(cat "$logs/run.out")) in ${frame} s"
# Its stdout is the viewer's alone: installing and building print on stderr.
[ "$(wc -l <"$logs/run.out")" -eq 1 ] || { echo "clean-room: more than the viewer on stdout" >&2; exit 1; }

echo "clean-room: 2. scripts/test.sh"
start=$SECONDS
status=0
"${in_root[@]}" "cd /home/project && scripts/test.sh" </dev/null >"$logs/test.log" 2>&1 || status=$?
took=$((SECONDS - start))
if [ "$status" -ne 0 ]; then
  tail -n 300 "$logs/test.log"
  echo "clean-room: scripts/test.sh failed (status $status) after ${took} s" >&2
  exit 1
fi
# What the installing and building printed is left out; the tests' report is shown whole.
sed -n '/^Test project/,$p' "$logs/test.log"
echo "clean-room: scripts/test.sh passed in ${took} s"
echo "clean-room: fresh machine to the first frame ${frame} s; then every test ${took} s"
