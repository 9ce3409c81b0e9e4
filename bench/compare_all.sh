#!/usr/bin/env bash
# Every comparison in one run, and one table of them: our time, the peer's
# (VTK's flying edges, a plain read, Open Babel, PyMOL, the one-pass floor)
# and the ratio, and with --base the figure of that commit, whose
# benchmarks are built in a temporary tree (kept in $TMPDIR/mivor-base-SHA
# for the next run) and run right after ours, so that a regression shows
# before it lands.
#
# Runs bench/compare_mcubes.sh, compare_native.sh, compare_convert.py,
# compare_point_group.sh and render_png.sh (their own output goes to
# $TMPDIR/mivor-compare-all/), then the benchmark programs (isosurfaces,
# grid and trajectory reading, the scene under Mesa's software OpenGL, the
# converters' numbers and orbitals, the EPS picture) of this build and of
# the base. Times are medians; "wall (processor)" where both are known.
# Usage: bench/compare_all.sh [build-dir] [--base COMMIT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=build
base=""
while [ $# -gt 0 ]; do
  case "$1" in
    --base) base=$2; shift 2 ;;
    *) build=$1; shift ;;
  esac
done
build=$(cd "$build" && pwd)
tmp=${TMPDIR:-/tmp}
log=$tmp/mivor-compare-all
rm -rf "$log"
mkdir -p "$log"

# The base commit's benchmarks, built once in a tree of its own. Each
# benchmark program is today's, so that both columns measure the same work,
# where it builds on the base's code; else the base's own (named in
# $tree/own-programs: its figures may measure other work).
programs=(mcubes_bench native_bench scene_bench convert_bench eps_bench)
base_build=""
if [ -n "$base" ]; then
  sha=$(git -C "$root" rev-parse "$base^{commit}")
  tree=$tmp/mivor-base-$sha
  fingerprint=$(cat "$root"/bench/*.cpp "$root/bench/CMakeLists.txt" | sha1sum | cut -d' ' -f1)
  if [ "$(cat "$tree/bench-fingerprint" 2>/dev/null)" != "$fingerprint" ] || [ ! -x "$tree/build/mivor-cli" ]; then
    if [ ! -d "$tree/own-bench" ]; then
      rm -rf "$tree"
      mkdir -p "$tree/src"
      git -C "$root" archive "$sha" | tar -x -C "$tree/src"
      cp -r "$tree/src/bench" "$tree/own-bench"
    fi
    echo "building the benchmarks of $base ($sha) in $tree ..." >&2
    cp "$root"/bench/*.cpp "$root/bench/CMakeLists.txt" "$tree/src/bench/"
    cmake -S "$tree/src" -B "$tree/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$tree/build" -j2 --target mivor-cli mivor-convert >"$tree/build.log" 2>&1
    : >"$tree/own-programs"
    for program in "${programs[@]}"; do
      if ! cmake --build "$tree/build" -j2 --target "$program" >>"$tree/build.log" 2>&1; then
        cp "$tree/own-bench/$program.cpp" "$tree/src/bench/"
        cmake --build "$tree/build" -j2 --target "$program" >>"$tree/build.log" 2>&1 || true
        echo "$program" >>"$tree/own-programs"
      fi
    done
    echo "$fingerprint" >"$tree/bench-fingerprint"
  fi
  base_build=$tree/build
  cp "$tree/own-programs" "$log/base-own-programs.txt"
fi

step() { echo "== $1" >&2; }
# A script's output to the log; a failing one is noted, the others go on.
run_script() {
  local name=$1
  shift
  step "$name"
  "$@" >"$log/$name.txt" 2>"$log/$name.err" || echo "FAILED: $*" >>"$log/$name.txt"
}
run_script mcubes "$here/compare_mcubes.sh" "$build"
run_script native "$here/compare_native.sh" "$build"
run_script convert python3 "$here/compare_convert.py" "$build"
run_script point_group "$here/compare_point_group.sh" "$build"
run_script render env BUILD="$build" "$here/render_png.sh"
[ -n "$base_build" ] && run_script render_base env BUILD="$base_build" "$here/render_png.sh"

# The benchmark programs of one build, as JSON, each run with its medians.
run_benchmarks() {
  local dir=$1 tag=$2 program
  for program in "${programs[@]}"; do
    [ -x "$dir/bench/$program" ] || continue
    step "$tag $program"
    env LIBGL_ALWAYS_SOFTWARE=1 "$dir/bench/$program" --benchmark_repetitions=3 \
      --benchmark_report_aggregates_only=true --benchmark_format=json \
      >"$log/$tag-$program.json" 2>"$log/$tag-$program.err" || true
  done
}
run_benchmarks "$build" ours
[ -n "$base_build" ] && run_benchmarks "$base_build" base

python3 - "$log" "${base:-}" <<'PY'
import glob, json, os, re, sys

log, base = sys.argv[1], sys.argv[2]


def medians(tag):
    out = {}
    for path in glob.glob(os.path.join(log, tag + "-*.json")):
        try:
            data = json.load(open(path))
        except ValueError:
            continue
        for b in data.get("benchmarks", []):
            name = b["name"]
            for suffix in ("/real_time_median", "_median"):
                if name.endswith(suffix):
                    out[name[: -len(suffix)]] = (b["real_time"], b["cpu_time"], b.get("time_unit", "ns"))
    return out


def ms(entry):
    if not entry:
        return None
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry[2]]
    return entry[0] * scale, entry[1] * scale


ours, theirs = medians("ours"), medians("base")


def text(name):
    path = os.path.join(log, name + ".txt")
    return open(path).read() if os.path.exists(path) else ""


def find(name, pattern, group=1):
    m = re.search(pattern, text(name))
    return float(m.group(group)) if m else None


def fmt(t):
    if t is None:
        return "–"
    if isinstance(t, tuple):
        return "%.1f (%.1f)" % t
    return "%.1f" % t


rows = []


def row(work, bench=None, ours_value=None, peer=None, peer_name="", ratio=None, base_value=None):
    o = ms(ours.get(bench)) if bench else ours_value
    b = ms(theirs.get(bench)) if bench else base_value
    if ratio is None and peer is not None and o is not None:
        ratio = peer / (o[0] if isinstance(o, tuple) else o)
    rows.append((work, fmt(o), (fmt(peer) + " " + peer_name).strip() if peer is not None else "–",
                 "%.2fx" % ratio if ratio is not None else "–", fmt(b) if base else ""))


fe = {int(m.group(1)): float(m.group(2)) for m in
      re.finditer(r"(\d+)\^3\s+vtkFlyingEdges3D\s+([\d.]+) ms", text("mcubes"))}
for n in (200, 128):
    row("isosurfaces %d³ ±0.04 with normals" % n, "BM_Mcubes/%d" % n, peer=fe.get(n), peer_name="flying edges")
    o, limit = ms(ours.get("BM_Mcubes/%d" % n)), ms(ours.get("BM_OnePassLimit/%d" % n))
    rows.append(("  against the one-pass floor %d³" % n, fmt(o), fmt(limit) + " floor" if limit else "–",
                 "%.2fx ours/floor (processor)" % (o[1] / limit[1]) if o and limit else "–",
                 fmt(ms(theirs.get("BM_OnePassLimit/%d" % n))) if base else ""))
row("orbital switch 200³ (read, surfaces, index, sort)", "BM_OrbitalSwitch200")
row("depth sort of 500,000 triangles", "BM_DepthSort500k")
plain = ms(ours.get("BM_PlainRead64MB"))
g = ms(ours.get("BM_ReadOneGrid200"))
rows.append(("one 200³ grid of a native file of three", fmt(g), fmt(plain) + " plain read" if plain else "–",
             "%.2fx ours/plain (wall), %.2fx (processor)" % (g[0] / plain[0], g[1] / plain[1]) if g and plain else "–",
             fmt(ms(theirs.get("BM_ReadOneGrid200"))) if base else ""))
row("trajectory parse, 10,000 × 100 atoms", "BM_ParseTrajectory",
    peer=find("native", r"Open Babel, same frames as XYZ: ([\d.]+) ms"), peer_name="Open Babel")
m = re.search(r"10,000-frame XYZ: xyz2mvr ([\d.]+) s; obabel ([\d.]+) s", text("convert"))
if m:
    row("XYZ converter, 10,000 frames", ours_value=float(m.group(1)) * 1000, peer=float(m.group(2)) * 1000,
        peer_name="Open Babel")
m = re.search(r"10,000-frame PDB: pdb2mvr ([\d.]+) s; obabel to XYZ ([\d.]+) s", text("convert"))
if m:
    row("PDB converter, 10,000 frames", ours_value=float(m.group(1)) * 1000, peer=float(m.group(2)) * 1000,
        peer_name="obabel to XYZ")
m = re.search(r"= ([\d.]+) s; PyMOL load ([\d.]+) s", text("convert"))
if m:
    row("cube 200³ converted and its surface built", ours_value=float(m.group(1)) * 1000,
        peer=float(m.group(2)) * 1000, peer_name="PyMOL load")
for m in re.finditer(r"molden (\S+) .*? on (\d+)\^3: ([\d.]+) s", text("convert")):
    row("Molden %s orbitals on %s³" % (m.group(1), m.group(2)), ours_value=float(m.group(3)) * 1000)
molden_run = ms(ours.get("BM_Hdf5RunToGrids/0"))
row("HDF5 orbital file to grids", "BM_Hdf5RunToGrids/1",
    peer=molden_run[0] if molden_run else None, peer_name="from its Molden file")
for m in re.finditer(r"(\d+) atoms, (\S+)\s+findsym .*?full\s+([\d.]+) ms .*?Open Babel\s+([\d.]+) ms",
                     text("point_group")):
    row("point group, %s atoms %s" % (m.group(1), m.group(2)), ours_value=float(m.group(3)),
        peer=float(m.group(4)), peer_name="Open Babel")
for n in (300, 3000):
    row("scene of %d atoms with bonds, compile" % n, "BM_CompileSceneList/%d" % n)
    row("scene of %d atoms with bonds, replay" % n, "BM_ReplaySceneList/%d" % n)
row("protein of 30,000 atoms (PDB), compile", "BM_Protein30000/0")
row("protein of 30,000 atoms (PDB), replay", "BM_Protein30000/1")


def render(name):
    m = re.findall(r"render 4000x4000 png: ([\d.]+) s", text(name))
    return sorted(float(x) * 1000 for x in m)[len(m) // 2] if m else None


row("picture 4000×4000 PNG without a display", ours_value=render("render"),
    base_value=render("render_base") if base else None)
for name in sorted(set(ours) | set(theirs)):
    if name.startswith(("BM_ScanCubeValues", "BM_Eps", "BM_MoldenToGrids")) and \
            name != "BM_OrbitalSwitch200":
        row("converter/picture benchmark " + name, name)

head = ("work", "ours, ms wall (processor)", "peer, ms", "ratio peer/ours", "base %s" % base if base else "")
widths = [max(len(r[i]) for r in rows + [head]) for i in range(5)]
for r in [head, tuple("-" * w for w in widths)] + rows:
    print(" | ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())
own = os.path.join(log, "base-own-programs.txt")
if base and os.path.exists(own) and open(own).read().split():
    print("\nBase figures of %s come from the base's own benchmark programs (today's do not build on it)."
          % ", ".join(open(own).read().split()))
print("\nThe scripts' own output: %s" % log)
PY
