#!/usr/bin/env bash
# Builds Release and prints one table of every benchmark, median of 5 repetitions, with its
# goal beside it. The GL benchmarks run on an Xvfb display of their own (Mesa's software
# renderer). Extra arguments go to the benchmark program (e.g. --benchmark_filter=Tex).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" >/dev/null
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$root/scripts/with-xvfb.sh" "$root/build/bench/patchlume_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=json "$@" >"$json"
python3 - "$json" <<'PY'
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
}
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
data = json.load(open(sys.argv[1]))
rows = []
for b in data["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    name = b["run_name"]
    ms = b["real_time"] * scale[b["time_unit"]]
    goal = goals.get(name.split("/")[0])
    verdict = "" if goal is None else ("met" if ms <= goal else "MISSED")
    rows.append((name, ms, goal, verdict))
print(f"{'benchmark':36} {'median ms':>10} {'goal ms':>9}  verdict")
for name, ms, goal, verdict in rows:
    g = "-" if goal is None else f"{goal:g}"
    print(f"{name:36} {ms:10.4f} {g:>9}  {verdict}")
print(f"(machine: {data['context'].get('num_cpus')} CPUs, {data['context'].get('mhz_per_cpu')} MHz; "
      "medians of 5 repetitions, noisy when the machine is shared)")
PY
