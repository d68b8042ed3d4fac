#!/usr/bin/env bash
# Installs the Debian packages the viewer needs and that are missing.
#   scripts/deps.sh run     what building and running the viewer needs
#   scripts/deps.sh test    that, plus the test, benchmark, packaging and checking tools
set -euo pipefail

run_packages=(cmake g++ make freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri liblodepng-dev
              libstb-dev libopenexr-dev zlib1g-dev pkg-config libavformat-dev libavcodec-dev libswscale-dev
              libavutil-dev)
test_packages=(googletest libgtest-dev libbenchmark-dev xvfb xauth x11-utils libx11-dev libxtst-dev assimp-utils
               clang libclang-rt-14-dev valgrind python3
               desktop-file-utils appstream shared-mime-info libglib2.0-bin groff-base man-db lintian dpkg-dev file
               ffmpeg)

wanted=("${run_packages[@]}")
if [ "${1:-run}" = test ]; then wanted+=("${test_packages[@]}"); fi

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
