#!/usr/bin/env python3
"""Speed and memory of the converters against peers, in one run:

  - a 200^3 cube (about 100 MB of text) converted and its isosurface built
    (mivor-cli surface on the converted file), against PyMOL loading the
    same cube; peak memory of the converter against the values' size; the
    same cube gzipped against the plain one;
  - Molden to grids: benzene/cc-pVDZ (made once with psi4) on an 80^3
    lattice, every occupied orbital and ten virtuals evaluated; time per
    orbital, and the scaling with lattice points and basis size; the
    formatted checkpoint file of the same calculation against it;
  - a 10,000-frame multi-model PDB through the Open Babel bridge against
    obabel converting it to XYZ; our XYZ reader on the same frames as XYZ
    against obabel reading them.

Usage: bench/compare_convert.py [build-dir]    (inputs cached in build/bench-data)
Medians of three runs; ratios are peer time / our time.
"""
import gzip
import math
import os
import resource
import shutil
import subprocess
import sys
import time

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
DATA = os.path.join(BUILD, "bench-data")
CONV = os.path.join(BUILD, "converters")
CLI = os.path.join(BUILD, "mivor-cli")
# The system's programs first: Debian's pymol runs on Debian's python3.
ENV = dict(os.environ, MIVOR_DIR=os.path.join(BUILD, "mivorrc"), OMP_NUM_THREADS="2",
           PATH="/usr/bin:/bin:" + os.environ.get("PATH", ""))
os.makedirs(DATA, exist_ok=True)


CPU = {}


def run(argv, cwd=DATA):
    """Wall time and processor time (user + system) of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(argv, cwd=cwd, env=ENV, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return elapsed, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def median_time(argv, cwd=DATA):
    """Median wall time of three runs; the median processor time goes to
    CPU[the program's name]. On a shared machine the wall time includes
    waiting for the processor; both are printed."""
    runs = sorted(run(argv, cwd) for _ in range(3))
    CPU[os.path.basename(argv[0])] = sorted(r[1] for r in runs)[1]
    return runs[1][0]


def peak_memory_mb(argv):
    """Peak resident memory of one run, measured by /usr/bin/time."""
    out = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, cwd=DATA, env=ENV, check=True,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
    return int(out.strip().splitlines()[-1]) / 1024


def make_cube(path, n=200):
    """A 200^3 cube of two Gaussians, six values a line as psi4 writes them."""
    if os.path.exists(path):
        return
    h = 0.1
    with open(path, "w") as f:
        f.write("benchmark cube\nProperty: Dt.\n")
        f.write("%5d %11.6f %11.6f %11.6f\n" % (2, -h * (n - 1) / 2, -h * (n - 1) / 2, -h * (n - 1) / 2))
        for a in range(3):
            f.write("%5d %11.6f %11.6f %11.6f\n" % (n, h if a == 0 else 0, h if a == 1 else 0, h if a == 2 else 0))
        f.write("%5d %11.6f %11.6f %11.6f %11.6f\n" % (1, 1.0, 0.0, 0.0, -0.7))
        f.write("%5d %11.6f %11.6f %11.6f %11.6f\n" % (1, 1.0, 0.0, 0.0, 0.7))
        xs = [-h * (n - 1) / 2 + h * i for i in range(n)]
        ex = [[math.exp(-(x * x)) for x in xs], [math.exp(-((x + 0.7) ** 2)) for x in xs],
              [math.exp(-((x - 0.7) ** 2)) for x in xs]]
        line = []
        for i in range(n):
            for j in range(n):
                exy = ex[0][i] * ex[0][j]
                for k in range(n):
                    line.append("%13.5E" % (exy * (ex[1][k] + ex[2][k])))
                    if len(line) == 6:
                        f.write("".join(line) + "\n")
                        line = []
        if line:
            f.write("".join(line) + "\n")


def make_benzene_molden(path, fchk):
    if os.path.exists(path) and os.path.exists(fchk):
        return
    work = os.path.join(DATA, "psi4-benzene")
    os.makedirs(work, exist_ok=True)
    geometry = []
    for k in range(6):
        a = math.radians(60 * k)
        geometry.append("C %.6f %.6f 0.0" % (1.397 * math.cos(a), 1.397 * math.sin(a)))
        geometry.append("H %.6f %.6f 0.0" % (2.481 * math.cos(a), 2.481 * math.sin(a)))
    with open(os.path.join(work, "input.dat"), "w") as f:
        f.write("memory 1 gb\nmolecule {\n0 1\n%s\n}\nset basis cc-pvdz\nset scf_type df\n"
                "E, wfn = energy('scf', return_wfn=True)\nmolden(wfn, 'benzene.molden')\nfchk(wfn, 'benzene.fchk')\n"
                % "\n".join(geometry))
    subprocess.run(["psi4", "-n", "2", "input.dat", "-o", "output.dat"], cwd=work, check=True)
    shutil.copy(os.path.join(work, "benzene.molden"), path)
    shutil.copy(os.path.join(work, "benzene.fchk"), fchk)


def make_lattice_cube(path, n):
    """A cube of zeros whose n^3 lattice (0.2 bohr, around the origin) the
    Molden converter takes with --like."""
    if os.path.exists(path):
        return
    h = 0.2
    with open(path, "w") as f:
        f.write("lattice\n\n%5d %11.6f %11.6f %11.6f\n" % (1, -h * (n - 1) / 2, -h * (n - 1) / 2, -h * (n - 1) / 2))
        for a in range(3):
            f.write("%5d %11.6f %11.6f %11.6f\n" % (n, h if a == 0 else 0, h if a == 1 else 0, h if a == 2 else 0))
        f.write("%5d %11.6f %11.6f %11.6f %11.6f\n" % (1, 1.0, 0.0, 0.0, 0.0))
        f.write(("0 " * n + "\n") * (n * n))


def make_trajectories(pdb, xyz, frames=10000, atoms=20):
    if os.path.exists(pdb) and os.path.exists(xyz):
        return
    with open(pdb, "w") as p, open(xyz, "w") as x:
        for frame in range(frames):
            p.write("MODEL %8d\n" % (frame + 1))
            x.write("%d\nframe %d\n" % (atoms, frame))
            for a in range(atoms):
                pos = (1.5 * (a % 5) + 0.001 * frame, 1.5 * (a // 5), 0.01 * math.sin(frame + a))
                p.write("ATOM  %5d  C   UNL A   1    %8.3f%8.3f%8.3f  1.00  0.00           C\n" % ((a + 1,) + pos))
                x.write("C %10.5f %10.5f %10.5f\n" % pos)
            p.write("ENDMDL\n")


def main():
    cube = os.path.join(DATA, "big.cube")
    make_cube(cube)
    mb = 200 ** 3 * 8 / 1e6
    ours = median_time([os.path.join(CONV, "cube2mvr"), cube])
    shown = median_time([CLI, "surface", os.path.join(DATA, "big.mvr"), "--level", "0.05"])
    pymol = median_time(["pymol", "-cq", "-d", "load %s, grid" % cube]) if shutil.which("pymol") else float("nan")
    peak = peak_memory_mb([os.path.join(CONV, "cube2mvr"), cube])
    print("cube 200^3 (%.0f MB text): convert %.3f s + read and isosurface %.3f s = %.3f s; PyMOL load %.3f s; "
          "ratio %.1fx" % (os.path.getsize(cube) / 1e6, ours, shown, ours + shown, pymol, pymol / (ours + shown)))
    print("  processor time: convert %.3f s, read and isosurface %.3f s, PyMOL %.3f s"
          % (CPU["cube2mvr"], CPU["mivor-cli"], CPU.get("pymol", float("nan"))))
    print("cube converter peak memory %.0f MB for %.0f MB of values (%.2fx)" % (peak, mb, peak / mb))
    plain_cpu = CPU["cube2mvr"]
    packed = cube + ".gz"
    if not os.path.exists(packed):
        with open(cube, "rb") as f, gzip.open(packed, "wb", compresslevel=6) as g:
            shutil.copyfileobj(f, g)
    gz = median_time([os.path.join(CONV, "cube2mvr"), packed])
    gz_peak = peak_memory_mb([os.path.join(CONV, "cube2mvr"), packed])
    print("gzipped cube (%.0f MB): convert %.3f s against %.3f s plain (%.2fx); processor %.3f s against %.3f s; "
          "peak memory %.0f MB" % (os.path.getsize(packed) / 1e6, gz, ours, gz / ours, CPU["cube2mvr"], plain_cpu,
                                   gz_peak))

    benzene = os.path.join(DATA, "benzene.molden")
    benzene_fchk = os.path.join(DATA, "benzene.fchk")
    make_benzene_molden(benzene, benzene_fchk)
    # A copy: the converter writes its native file beside its input.
    h2co = os.path.join(DATA, "h2co.molden")
    shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "convert",
                             "h2co.molden"), h2co)
    for net in (40, 60, 80):
        like = os.path.join(DATA, "lattice%d.cube" % net)
        make_lattice_cube(like, net)
        t = median_time([os.path.join(CONV, "molden2mvr"), "--like", like, benzene])
        # All 21 occupied orbitals (for the density) and LUMO … LUMO+10.
        print("molden benzene/cc-pVDZ (114 functions) on %d^3: %.3f s (processor %.3f s), %.1f ms per orbital "
              "evaluated (32), %.0f ns per point and orbital"
              % (net, t, CPU["molden2mvr"], t / 32 * 1e3, t / 32 / net ** 3 * 1e9))
    if os.path.exists(os.path.join(CONV, "fchk2mvr")):
        like80 = os.path.join(DATA, "lattice80.cube")
        molden = median_time([os.path.join(CONV, "molden2mvr"), "--like", like80, benzene])
        molden_cpu = CPU["molden2mvr"]
        fchk = median_time([os.path.join(CONV, "fchk2mvr"), "--like", like80, benzene_fchk])
        print("fchk benzene/cc-pVDZ on 80^3: %.3f s (processor %.3f s); Molden file of the same orbitals %.3f s "
              "(processor %.3f s); ratio fchk/Molden %.2f (processor %.2f)"
              % (fchk, CPU["fchk2mvr"], molden, molden_cpu, fchk / molden, CPU["fchk2mvr"] / molden_cpu))
    t = median_time([os.path.join(CONV, "molden2mvr"), "--like", os.path.join(DATA, "lattice80.cube"), h2co])
    print("molden formaldehyde/cc-pVDZ (38 functions) on 80^3: %.3f s (processor %.3f s), %.1f ms per orbital "
          "evaluated (19)" % (t, CPU["molden2mvr"], t / 19 * 1e3))

    pdb, xyz = os.path.join(DATA, "traj.pdb"), os.path.join(DATA, "traj.xyz")
    make_trajectories(pdb, xyz)
    ours = median_time([os.path.join(CONV, "pdb2mvr"), pdb])
    peer = median_time(["obabel", pdb, "-O", os.path.join(DATA, "traj_ob.xyz")])
    print("10,000-frame PDB: pdb2mvr %.2f s; obabel to XYZ %.2f s; ratio ours/obabel %.2f (processor %.2f / %.2f s)"
          % (ours, peer, ours / peer, CPU["pdb2mvr"], CPU["obabel"]))
    ours = median_time([os.path.join(CONV, "xyz2mvr"), xyz])
    peer = median_time(["obabel", xyz, "-O", os.path.join(DATA, "traj_ob2.xyz")])
    print("10,000-frame XYZ: xyz2mvr %.3f s; obabel %.2f s; ratio obabel/ours %.1fx (processor %.3f / %.2f s)"
          % (ours, peer, peer / ours, CPU["xyz2mvr"], CPU["obabel"]))


main()
