#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs it under an Xvfb display of its own. Any finding fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
dir="$root/build-asan"
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATCHLUME_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/sanitizer-launcher.sh" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
# Copies anyone may read: some tests run the viewer as nobody, who may not reach the tree.
supp=$(mktemp -d)
trap 'rm -rf "$supp"' EXIT
cp "$root"/tests/sanitizers/*.supp "$supp"/
chmod -R a+rX "$supp"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="suppressions=$supp/ubsan.supp:print_stacktrace=1:halt_on_error=1"
cd "$dir"
"$root/scripts/with-xvfb.sh" ctest --output-on-failure -j"$(nproc)"
