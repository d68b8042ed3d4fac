#!/usr/bin/env bash
# Runs one short end-to-end session with the viewer under valgrind's memcheck (RelWithDebInfo
# build in build-memcheck/, the harness starting its own Xvfb). Fails when the session fails
# (the viewer's exit status included) or when any error or definite or indirect leak has a
# stack frame in the project's own code (src/). What Mesa, X, GLUT and the C++ runtime report
# of themselves is suppressed by tests/sanitizers/valgrind.supp. Prints the totals.
#   scripts/memcheck.sh [gtest filter]     default: MemcheckE2eTest.*
#   PATCHLUME_MEMCHECK_LOGS=dir             keep the valgrind logs there
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
filter=${1:-MemcheckE2eTest.*}
"$root/scripts/deps.sh" test
dir="$root/build-memcheck"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPATCHLUME_BENCH=OFF >/dev/null
cmake --build "$dir" --target patchlume_e2e_tests -j"$(nproc)"

# PATCHLUME_MEMCHECK_LOGS keeps the valgrind logs in that directory; a temporary one otherwise.
if [ -n "${PATCHLUME_MEMCHECK_LOGS:-}" ]; then
  logs=$PATCHLUME_MEMCHECK_LOGS
  mkdir -p "$logs"
  rm -f "$logs"/memcheck.*.log
else
  logs=$(mktemp -d)
  trap 'rm -rf "$logs"' EXIT
fi
# Before main, libhwy (through libavcodec and libjxl) runs RDTSCP, which valgrind refuses
# where CPUID hides it; the preloaded shim answers that probe (tests/sanitizers/rdtscp_shim.cpp).
shim="$dir/rdtscp_shim.so"
g++ -shared -fPIC -O2 -o "$shim" "$root/tests/sanitizers/rdtscp_shim.cpp"
# llvmpipe's JIT is slow and noisy under valgrind; softpipe interprets instead.
export GALLIUM_DRIVER=softpipe
export PATCHLUME_E2E_TIMEOUT_SCALE=${PATCHLUME_E2E_TIMEOUT_SCALE:-40}
# The wrapper is split at white space, so no word of it may contain any.
export PATCHLUME_E2E_WRAPPER="env LD_PRELOAD=$shim valgrind --tool=memcheck --leak-check=full
  --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect
  --num-callers=50 --keep-debuginfo=yes --fullpath-after=$root/ --suppressions=$root/tests/sanitizers/valgrind.supp
  --log-file=$logs/memcheck.%p.log"

session=0
"$dir/tests/patchlume_e2e_tests" --gtest_filter="$filter" || session=$?

verdict=0
python3 - "$logs" <<'EOF' || verdict=$?
import glob, re, sys

logs = sorted(glob.glob(sys.argv[1] + "/memcheck.*.log"))
errors = leaks = own_errors = own_leaks = 0
own = []
for path in logs:
    records, current = [], []
    for line in open(path, errors="replace"):
        body = re.sub(r"^==\d+== ?", "", line.rstrip("\n"))
        if body.strip() == "":
            if current:
                records.append(current)
            current = []
        else:
            current.append(body)
    if current:
        records.append(current)
    for record in records:
        head = record[0]
        is_leak = re.search(r"are (definitely|indirectly) lost in loss record", head)
        is_error = not head.startswith(" ") and any(
            re.match(r"\s+(at|by) 0x", l) for l in record[1:]) and not re.search(
            r"(possibly lost|still reachable) in loss record", head)
        if not (is_leak or is_error):
            continue
        mine = any(re.search(r"\(src/[^)]*:\d+\)", l) for l in record)
        if is_leak:
            leaks += 1
            own_leaks += mine
        else:
            errors += 1
            own_errors += mine
        if mine:
            own.append("\n".join(record))
    summary = [l for l in open(path, errors="replace") if "ERROR SUMMARY" in l]
    print(f"{path}: {summary[-1].split('== ')[-1].strip() if summary else 'no summary'}")
if not logs:
    print("memcheck: no valgrind log was written")
    sys.exit(1)
for record in own:
    print("\n" + record)
print(f"memcheck: {errors} errors and {leaks} definite/indirect leaks reported "
      f"(after suppressions); in the project's code: {own_errors} errors, {own_leaks} leaks")
sys.exit(1 if own_errors or own_leaks else 0)
EOF
if [ "$session" -ne 0 ]; then
  echo "memcheck: the session test failed (status $session)" >&2
  exit 1
fi
exit "$verdict"
