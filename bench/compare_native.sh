#!/usr/bin/env bash
# Reading speed of native files, with the ratios that matter:
#  - a 10,000-frame trajectory of 100 atoms parsed with automatic bonding,
#    against Open Babel reading the same frames as XYZ (which also perceives
#    bonds);
#  - one 200³ grid read from a file of three, against a plain read of the
#    same 64 MB from the page cache.
# Usage: bench/compare_native.sh [build-dir]
set -euo pipefail
build=${1:-build}
tmp=${TMPDIR:-/tmp}

if ! command -v obabel >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq openbabel >/dev/null
fi

json=$(mktemp)
"$build/bench/native_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=json >"$json"
median() { python3 -c "import json,sys; d=json.load(open('$json')); print([b['real_time'] for b in d['benchmarks'] if b['name']=='$1/real_time_median'][0])"; }
rate() { python3 -c "import json,sys; d=json.load(open('$json')); print([b['bytes_per_second'] for b in d['benchmarks'] if b['name']=='$1/real_time_median'][0]/1e6)"; }
parse_ms=$(median BM_ParseTrajectory)
grid_ms=$(median BM_ReadOneGrid200)
plain_ms=$(median BM_PlainRead64MB)
printf 'mivor parse trajectory: %.1f ms (%.0f MB/s)\n' "$parse_ms" "$(rate BM_ParseTrajectory)"

xyz=$tmp/mivor-bench-trajectory.xyz
best=""
for run in 1 2 3; do
  start=$(date +%s.%N)
  obabel -ixyz "$xyz" -oxyz -O /dev/null >/dev/null 2>&1
  end=$(date +%s.%N)
  t=$(python3 -c "print(($end - $start) * 1000)")
  best=$(python3 -c "print(min(float('$t'), float('${best:-1e30}')))")
done
printf 'Open Babel, same frames as XYZ: %.1f ms (best of 3)\n' "$best"
printf 'ratio Open Babel / mivor: %.1fx\n' "$(python3 -c "print($best / $parse_ms)")"

printf 'mivor read one 200^3 grid: %.1f ms; plain read of 64 MB: %.1f ms; ratio %.2fx\n' \
  "$grid_ms" "$plain_ms" "$(python3 -c "print($grid_ms / $plain_ms)")"
rm -f "$json"
