#!/usr/bin/env bash
# Fuzzes the atlas decoding path and the net parser with libFuzzer (clang, AddressSanitizer,
# UBSan) for a bounded time shared between them, two thirds to the larger atlas path:
# scripts/fuzz.sh [seconds, default 60]. Fails on any finding.
# LodePNG is compiled in from Debian's source of the installed release, so that the fuzzer
# sees its branches; when that source can't be had, the packaged library is linked instead
# and only the viewer's own code guides the search.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
"$root/scripts/deps.sh" test
dir="$root/build-fuzz"
mkdir -p "$dir"

lodepng_source=""
version=$(dpkg-query -W -f='${Version}' liblodepng-dev)
src="$dir/lodepng-src"
if [ ! -f "$src/lodepng.cpp" ]; then
  apt_dir="$dir/apt"
  mkdir -p "$apt_dir/lists/partial" "$src"
  # A private source list: the system's apt configuration stays as it is.
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    >"$apt_dir/debian-src.sources"
  apt_opts=(-q -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir"
            -o "Dir::State::Lists=$apt_dir/lists")
  if (cd "$src" && apt-get "${apt_opts[@]}" update >/dev/null 2>&1 &&
      apt-get "${apt_opts[@]}" source --download-only "lodepng=$version" >/dev/null 2>&1); then
    tar -xzf "$src"/lodepng_*.orig.tar.gz -C "$src" --strip-components=1 2>/dev/null ||
      tar -xzf "$src"/lodepng_*.orig.tar.gz -C "$src"
  fi
fi
if [ -f "$src/lodepng.cpp" ]; then
  lodepng_source="$src/lodepng.cpp"
  echo "fuzzing with LodePNG $version compiled from source"
else
  echo "Debian's LodePNG source is not available: fuzzing against the packaged library"
fi

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -g -O1"
CC=clang CXX=clang++ cmake -S "$root" -B "$dir/tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPATCHLUME_TESTS=OFF -DPATCHLUME_BENCH=OFF -DPATCHLUME_FUZZ=ON \
  -DPATCHLUME_LODEPNG_SOURCE="$lodepng_source" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$dir/tree" --target cubemap_fuzzer net_fuzzer make_fuzz_seeds -j"$(nproc)"
net_seconds=$((seconds / 3 > 0 ? seconds / 3 : 1))
atlas_seconds=$((seconds - net_seconds > 0 ? seconds - net_seconds : 1))

seeds="$dir/seeds"
corpus="$dir/corpus"
mkdir -p "$seeds" "$corpus"
ASAN_OPTIONS=detect_leaks=0 "$dir/tree/tests/fuzz/make_fuzz_seeds" "$seeds"
cp "$root/assets/cubemap.png" "$seeds/default-atlas.png"
cd "$dir"
ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1" \
  "$dir/tree/tests/fuzz/cubemap_fuzzer" -max_total_time="$atlas_seconds" -max_len=200000 \
  -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$dir/" "$corpus" "$seeds"

# Net seeds: one in the form the viewer saves (a header, 17 significant digits), and one with
# comments, blank lines, tabs and CRLF line ends.
net_seeds="$dir/net-seeds"
net_corpus="$dir/net-corpus"
mkdir -p "$net_seeds" "$net_corpus"
{
  echo "# Patchlume control net: 16 points x y z, row 0 columns 0 to 3 first"
  for p in $(seq 0 15); do echo "-186.66666666666669 $((p * 40 - 300)) 133.33333333333334"; done
} >"$net_seeds/saved.net"
{
  printf '# hand-made\r\n\r\n'
  for p in $(seq 16); do printf '\t%d\t-0.5e1  +.25\r\n' "$p"; done
  printf '  # the end'
} >"$net_seeds/commented.net"
"$dir/tree/tests/fuzz/net_fuzzer" -max_total_time="$net_seconds" -max_len=70000 \
  -dict="$root/tests/fuzz/net.dict" -print_final_stats=1 -artifact_prefix="$dir/net-" \
  "$net_corpus" "$net_seeds"
