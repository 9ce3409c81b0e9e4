#!/usr/bin/env bash
# Marching cubes at +0.04 and -0.04 with normals on 128³ and 200³ grids of
# the same orbital-like field: our extraction against VTK's flying edges and
# marching cubes, all on one thread, and against the floor of any
# extraction (one pass over the values, the triangles written). Prints
# medians of 5 runs and the ratios VTK / mivor (above 1: mivor is faster). VTK shares the vertices of
# neighbouring triangles; mivor keeps three per triangle, so VTK's counts of
# triangles are the ones to compare.
# Usage: bench/compare_mcubes.sh [build-dir]
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)

# Debian's interpreter: it sees Debian's python3-vtk9 whatever python3 is first on PATH.
py=/usr/bin/python3
if ! "$py" -c "import vtkmodules.vtkFiltersCore, numpy" 2>/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq python3-vtk9 python3-numpy >/dev/null
fi

ours=$(mktemp)
peer=$(mktemp)
trap 'rm -f "$ours" "$peer"' EXIT
"$build/bench/mcubes_bench" --benchmark_filter='^BM_(Mcubes|OnePassLimit)/' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$ours"
"$py" "$here/vtk_mcubes.py" --repetitions 5 128 200 >"$peer"

"$py" - "$ours" "$peer" <<'PY'
import json, sys
ours, floor = {}, {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["name"].endswith("/real_time_median"):
        size = int(b["name"].split("/")[1])
        if b["name"].startswith("BM_OnePassLimit"):
            floor[size] = (b["real_time"], b["cpu_time"])
        else:
            ours[size] = (b["real_time"], int(b["triangles"]), b["cpu_time"])
peer = [json.loads(line) for line in open(sys.argv[2])]
for size in sorted(ours):
    ms, tri, cpu = ours[size]
    print(f"{size}^3  mivor mcubes: {ms:8.1f} ms  {tri:8d} triangles  {tri / ms / 1000:6.2f} M triangles/s")
    if size in floor:
        print(f"{size}^3  one pass over the values and the triangles written: {floor[size][0]:8.1f} ms;"
              f"  ratio mivor / floor: {ms / floor[size][0]:.2f}x (processor {cpu / floor[size][1]:.2f}x)")
    for p in (p for p in peer if p["size"] == size):
        print(f"{size}^3  {p['filter']:<17} {p['median_ms']:8.1f} ms  {p['triangles']:8d} triangles"
              f"  ratio {p['filter']} / mivor: {p['median_ms'] / ms:.2f}x")
PY
