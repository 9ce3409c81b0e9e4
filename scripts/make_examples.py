#!/usr/bin/env python3
"""Writes examples/trajectory.mvr (ethane relaxing from near-eclipsed to
staggered) and examples/vibrations.mvr (the six normal modes of formaldehyde
from a small valence force field). Pure Python; run from anywhere."""
import math
import os

from example_math import jacobi

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
BOHR = 0.529177
MASS = {"H": 1.00783, "C": 12.0, "O": 15.99491}


def coord_lines(comment, atoms):
    out = ["  %d\n" % len(atoms), comment + "\n"]
    out += [" %s  %15.9f  %15.9f  %15.9f\n" % (s, x, y, z) for s, (x, y, z) in atoms]
    return out


def ethane(torsion, r_cc, r_ch=1.094, hcc=111.2):
    """Two methyl groups on the z axis; the second is turned by `torsion` degrees."""
    atoms = [("C", (0.0, 0.0, -r_cc / 2)), ("C", (0.0, 0.0, r_cc / 2))]
    rho, h = r_ch * math.sin(math.radians(hcc)), -r_ch * math.cos(math.radians(hcc))
    for side, turn in ((-1, 0.0), (1, torsion)):
        for k in range(3):
            a = math.radians(turn + 120 * k)
            atoms.append(("H", (rho * math.cos(a), rho * math.sin(a), side * (r_cc / 2 + h))))
    return atoms


def write_trajectory():
    e_staggered, barrier, k_cc = -79.228755, 0.004660, 0.33  # hartree, hartree/bohr^2
    lever = 6 * 1.094 * math.sin(math.radians(111.2)) / BOHR / 2  # six H share a torsion step
    lines = []
    for step in range(10):
        tau = 60 - 52 * 0.5**step
        dr = 0.012 * 0.45**step / BOHR
        energy = e_staggered + barrier / 2 * (1 + math.cos(math.radians(3 * tau))) + k_cc / 2 * dr**2
        g_h = abs(1.5 * barrier * math.sin(math.radians(3 * tau))) / lever
        g_c = k_cc * dr
        rms = math.sqrt((2 * g_c**2 + 6 * g_h**2) / 24)
        lines += coord_lines("ethane, optimisation step %d, H-C-C-H torsion %.2f degrees" % (step + 1, tau),
                             ethane(tau, 1.531 + dr * BOHR))
        lines += [" <ENERGY>\n%.8f\n" % energy, " <RMS_GRAD>\n%.6e\n" % rms,
                  " <MAX_GRAD>\n%.6e\n" % max(g_c, 0.87 * g_h), " <END>\n"]
    with open(os.path.join(EXAMPLES, "trajectory.mvr"), "w") as f:
        f.writelines(lines)


def formaldehyde_energy(x):
    """Valence force field (mdyn/A, mdyn A/rad^2) in aJ; atoms C, O, H, H."""
    p = [x[3 * i:3 * i + 3] for i in range(4)]
    sub = lambda a, b: [a[i] - b[i] for i in range(3)]
    dot = lambda a, b: sum(a[i] * b[i] for i in range(3))
    norm = lambda a: math.sqrt(dot(a, a))
    angle = lambda a, b: math.acos(dot(a, b) / (norm(a) * norm(b)))
    co, ch1, ch2 = sub(p[1], p[0]), sub(p[2], p[0]), sub(p[3], p[0])
    n = [ch1[1] * ch2[2] - ch1[2] * ch2[1], ch1[2] * ch2[0] - ch1[0] * ch2[2], ch1[0] * ch2[1] - ch1[1] * ch2[0]]
    oop = math.asin(dot(n, co) / (norm(n) * norm(co)))
    d_ch = [norm(ch1) - 1.111, norm(ch2) - 1.111]
    hch = angle(ch1, ch2) - math.radians(116.2)
    return (0.5 * 12.8 * (norm(co) - 1.205)**2 + 0.5 * 4.29 * (d_ch[0]**2 + d_ch[1]**2) +
            0.5 * 0.80 * ((angle(co, ch1) - math.radians(121.9))**2 + (angle(co, ch2) - math.radians(121.9))**2) +
            0.5 * 0.42 * hch**2 - 0.40 * (norm(co) - 1.205) * hch + 0.5 * 0.40 * oop**2)


def write_vibrations():
    symbols = ["C", "O", "H", "H"]
    r, a = 1.111, math.radians(121.9)
    x0 = [0, 0, 0, 0, 0, 1.205, r * math.sin(a), 0, r * math.cos(a), -r * math.sin(a), 0, r * math.cos(a)]
    mass = [MASS[s] for s in symbols for _ in range(3)]
    step, n = 1e-4, len(x0)

    def shifted(i, di, j, dj):
        x = list(x0)
        x[i] += di
        x[j] += dj
        return formaldehyde_energy(x)

    hess = [[(shifted(i, step, j, step) - shifted(i, step, j, -step) - shifted(i, -step, j, step) +
              shifted(i, -step, j, -step)) / (4 * step * step * math.sqrt(mass[i] * mass[j])) for j in range(n)]
            for i in range(n)]
    values, vectors = jacobi(hess)
    charge = {"C": 0.30, "O": -0.50, "H": 0.10}
    lines = coord_lines("formaldehyde, harmonic normal modes of a valence force field",
                        list(zip(symbols, zip(*[iter(x0)] * 3))))
    for k in sorted(range(n), key=lambda k: values[k])[6:]:
        disp = [vectors[i][k] / math.sqrt(mass[i]) for i in range(n)]
        length = math.sqrt(sum(d * d for d in disp))
        disp = [round(d / length, 6) + 0.0 for d in disp]  # no "-0.000000"
        # Dipole derivative of fixed point charges, in D/(A amu^1/2); intensity in km/mol.
        dmu = [4.80320 * sum(charge[symbols[i]] * vectors[3 * i + c][k] / math.sqrt(MASS[symbols[i]]) for i in range(4))
               for c in range(3)]
        # sqrt(mdyn/(A amu)) to wavenumbers.
        lines.append("<VIBRATION>\n FREQ = %.6f  IR_INT = %.6f \n" %
                     (1302.79 * math.sqrt(values[k]), 42.2561 * sum(d * d for d in dmu)))
        lines += [" %.6f  %.6f  %.6f\n" % tuple(disp[3 * i:3 * i + 3]) for i in range(4)]
        lines.append("</VIBRATION>\n")
    lines.append(" <END>\n")
    with open(os.path.join(EXAMPLES, "vibrations.mvr"), "w") as f:
        f.writelines(lines)


write_trajectory()
write_vibrations()
