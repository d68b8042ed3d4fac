#!/usr/bin/env bash
# Builds Release and prints one table of every benchmark, median of 5 repetitions, with its
# goal beside it. The GL benchmarks run on an Xvfb display of their own (Mesa's software
# renderer). Extra arguments go to the benchmark program (e.g. --benchmark_filter=Tex).
#   scripts/bench.sh --short   one repetition of a few milliseconds each: checks that every
#                              benchmark runs and the table is made, measures nothing (CI)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
what="medians of 5 repetitions, noisy when the machine is shared"
short=0
if [ "${1:-}" = --short ]; then
  shift
  runs=(--benchmark_repetitions=1 --benchmark_min_time=0.005)
  what="one short run each: a check that they run, not a measurement"
  short=1
fi
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" >/dev/null
json=$(mktemp)
trap 'rm -f "$json"' EXIT
# The JSON goes to a file of its own: whatever the program prints cannot corrupt it.
"$root/scripts/with-xvfb.sh" "$root/build/bench/patchlume_bench" "${runs[@]}" \
  --benchmark_out="$json" --benchmark_out_format=json "$@" >/dev/null
python3 - "$json" "$what" "$short" <<'PY'
import json, sys
# Goals in milliseconds; a benchmark without one is a reference for another.
goals = {
    "BM_SaveScreenshot": 3.0,
    "BM_UpdateSurface": 0.25,
    "BM_TexCoords": 0.1,
    "BM_DisplayPass": 6.0,
    "BM_SeamPieces": 0.05,
    "BM_MotionEvent": 100.0,
    "BM_StartupToFirstFrame": 100.0,
    "BM_AtlasJpegToPng": 3000.0,
    "BM_Curvature": 0.3,
    "BM_EncodeVideoFrame": 8.0,
    "BM_Turntable": 6000.0,
}
# Goals relative to another benchmark of the same run: the largest ratio to it.
ratios = {f"BM_MotionEvent/{mode}/real_time": ("BM_MotionEvent/0/real_time", 1.1) for mode in (1, 2, 3)}
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
data = json.load(open(sys.argv[1]))
benchmarks = data["benchmarks"]
failed = [b["name"] for b in benchmarks if b.get("error_occurred")]
# The median where there are repetitions, the one run where there are not.
aggregated = any(b.get("run_type") == "aggregate" for b in benchmarks)
rows = []
for b in benchmarks:
    if b.get("error_occurred"):
        continue
    if aggregated and b.get("aggregate_name") != "median":
        continue
    name = b["run_name"]
    ms = b["real_time"] * scale[b["time_unit"]]
    goal = goals.get(name.split("/")[0])
    verdict = "" if goal is None or sys.argv[3] == "1" else ("met" if ms <= goal else "MISSED")
    rows.append((name, ms, goal, verdict))
print(f"{'benchmark':36} {'median ms':>10} {'goal ms':>9}  verdict")
for name, ms, goal, verdict in rows:
    g = "-" if goal is None else f"{goal:g}"
    print(f"{name:36} {ms:10.4f} {g:>9}  {verdict}")
times = {name: ms for name, ms, _, _ in rows}
for name, (reference, most) in ratios.items():
    if name in times and reference in times:
        ratio = times[name] / times[reference]
        verdict = "" if sys.argv[3] == "1" else ("met" if ratio <= most else "MISSED")
        print(f"{name + ' / mirror':36} {ratio:10.3f} {most:>9g}  {verdict}")
print(f"(machine: {data['context'].get('num_cpus')} CPUs, {data['context'].get('mhz_per_cpu')} MHz; "
      f"{sys.argv[2]})")
if failed:
    print("benchmarks that reported an error: " + ", ".join(failed), file=sys.stderr)
    sys.exit(1)
if not rows:
    print("no benchmark ran", file=sys.stderr)
    sys.exit(1)
PY
