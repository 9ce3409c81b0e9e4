#!/usr/bin/env python3
"""Writes examples/formaldehyde_orbitals.mvr: formaldehyde with six molecular
orbitals, the electron density and the electrostatic potential on one grid.

Regenerate with

    python3 scripts/make_orbital_examples.py

(pure Python 3, no third-party modules, a few seconds; run from anywhere).
The output is deterministic.

The orbitals come from an extended-Hueckel calculation in a minimal basis of
STO-3G contracted Gaussians (textbook exponents and coefficients) for
C 1s 2s 2p, O 1s 2s 2p and H 1s, with each 2s made orthogonal to the 1s of its
atom. Diagonal elements are valence ionisation energies (core levels near
their Hartree-Fock orbital energies); off-diagonal elements follow
Wolfsberg-Helmholz with K = 1.75 between valence functions and K = 1 where a
core function takes part, so that cores stay unbonded. The valence levels of
an atom move by 4 eV per unit of its Mulliken charge, iterated to
self-consistency, which tames the overly polar charges of plain extended
Hueckel. The generalised eigenproblem H c = e S c is solved by Loewdin
orthogonalisation and Jacobi rotations. Each orbital's irreducible
representation of C2v (molecule in the yz plane, C2 along z) is read off its
behaviour under the two mirror planes; symmetries are numbered a1 = 1,
b1 = 2, b2 = 3, a2 = 4 and orbitals are counted within their symmetry. Core
orbitals are typed frozen, the other occupied ones inactive, the virtual
ones secondary.

Grids (values in atomic units on a lattice of 0.4 bohr):
  "Density"                   total electron density of the occupied orbitals
  "Electrostatic potential"   nuclei plus electrons; the one-centre parts of
                              the density are taken exactly (s, p and their
                              products, so lone pairs and hybrid dipoles
                              count), the overlap charges are split between
                              their two atoms as spherical charges
  orbitals 4a1, 1b2, 1b1, 5a1, 2b2 (HOMO, oxygen lone pair), 2b1 (LUMO, pi*),
  in order of energy; the LUMO, the last grid, is the one shown on opening.

The binary grid data are 8-byte IEEE doubles, little-endian.
"""
import array
import math
import os
import sys

from example_math import jacobi

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "formaldehyde_orbitals.mvr")
BOHR = 0.52917721067  # angstrom
HARTREE_EV = 27.211386

# Geometry (angstrom): C at the origin, C=O along +z, molecule in the yz plane.
R_CO, R_CH, HCH = 1.205, 1.111, 116.2
_half = math.radians(HCH / 2)
ATOMS = [("C", 6, (0.0, 0.0, 0.0)), ("O", 8, (0.0, 0.0, R_CO)),
         ("H", 1, (0.0, R_CH * math.sin(_half), -R_CH * math.cos(_half))),
         ("H", 1, (0.0, -R_CH * math.sin(_half), -R_CH * math.cos(_half)))]

# STO-3G exponents (bohr^-2) and contraction coefficients.
STO3G = {
    "H": {"1s": [3.42525091, 0.62391373, 0.16885540]},
    "C": {"1s": [71.6168370, 13.0450960, 3.5305122], "2sp": [2.9412494, 0.6834831, 0.2222899]},
    "O": {"1s": [130.7093200, 23.8088610, 6.4436083], "2sp": [5.0331513, 1.1695961, 0.3803890]},
}
C_1S = [0.15432897, 0.53532814, 0.44463454]
C_2S = [-0.09996723, 0.39951283, 0.70011547]
C_2P = [0.15591627, 0.60768372, 0.39195739]

# Diagonal Hamiltonian elements (hartree): valence ionisation energies, core
# levels near their Hartree-Fock orbital energies.
H_II = {("H", "1s"): -13.6 / HARTREE_EV, ("C", "1s"): -11.33, ("C", "2s"): -21.4 / HARTREE_EV,
        ("C", "2p"): -11.4 / HARTREE_EV, ("O", "1s"): -20.67, ("O", "2s"): -32.3 / HARTREE_EV,
        ("O", "2p"): -14.8 / HARTREE_EV}
K_WH = 1.75
TWO_OVER_SQRT_PI = 2 / math.sqrt(math.pi)
CHARGE_SHIFT = 4.0 / HARTREE_EV

SYM_NAMES = ["a1", "b1", "b2", "a2"]
TYPE_LETTER = {"core": "f", "occupied": "i", "virtual": "s"}
SHOWN = {"4a1", "1b2", "1b1", "5a1", "2b2", "2b1"}

# Lattice: 0.4 bohr steps; an even count across the molecular plane keeps
# every point off the nuclei.
STEP = 0.4
NET = (26, 35, 34)
BLOCK_SIZE = 4096


class AO:
    """A contracted Gaussian: primitives (coefficient with normalisation,
    exponent), angular part 0 (s) or axis 1..3 (p), centre in bohr."""

    def __init__(self, atom, shell, axis, prims, centre):
        self.atom, self.shell, self.axis, self.prims, self.centre = atom, shell, axis, prims, centre


def prim_norm(alpha, axis):
    n = (2 * alpha / math.pi)**0.75
    return n * 2 * math.sqrt(alpha) if axis else n


def prim_overlap(a, ax_a, ca, b, ax_b, cb):
    """Overlap of two unnormalised primitives x_i^(0/1) exp(-a r^2)."""
    p = a + b
    d2 = sum((ca[c] - cb[c])**2 for c in range(3))
    s = (math.pi / p)**1.5 * math.exp(-a * b / p * d2)
    centre = [(a * ca[c] + b * cb[c]) / p for c in range(3)]
    pa = centre[ax_a - 1] - ca[ax_a - 1] if ax_a else 1.0
    pb = centre[ax_b - 1] - cb[ax_b - 1] if ax_b else 1.0
    extra = 1 / (2 * p) if ax_a and ax_a == ax_b else 0.0
    return s * (pa * pb + extra)


def overlap(f, g):
    return sum(ci * cj * prim_overlap(ai, f.axis, f.centre, aj, g.axis, g.centre)
               for ci, ai in f.prims for cj, aj in g.prims)


def contracted(coefs, exps, axis):
    return [(c * prim_norm(a, axis), a) for c, a in zip(coefs, exps)]


def build_basis():
    basis = []
    for i, (sym, _, pos) in enumerate(ATOMS):
        centre = tuple(x / BOHR for x in pos)
        shells = STO3G[sym]
        one_s = AO(i, "1s", 0, contracted(C_1S, shells["1s"], 0), centre)
        basis.append(one_s)
        if "2sp" not in shells:
            continue
        two_s = AO(i, "2s", 0, contracted(C_2S, shells["2sp"], 0), centre)
        # Orthogonal to the 1s of the same atom: the 2s gets its radial node.
        s12 = overlap(one_s, two_s)
        scale = 1 / math.sqrt(1 - s12 * s12)
        two_s.prims = [(c * scale, a) for c, a in two_s.prims] + [(-s12 * c * scale, a) for c, a in one_s.prims]
        basis.append(two_s)
        for axis in (1, 2, 3):
            basis.append(AO(i, "2p", axis, contracted(C_2P, shells["2sp"], axis), centre))
    for f in basis:  # renormalise the contractions
        n = 1 / math.sqrt(overlap(f, f))
        f.prims = [(c * n, a) for c, a in f.prims]
    return basis


def is_core(f):
    return f.shell == "1s" and ATOMS[f.atom][0] != "H"


def matmul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(len(b))) for j in range(len(b[0]))] for i in range(len(a))]


def transpose(a):
    return [list(r) for r in zip(*a)]


def hamiltonian(basis, s, charges):
    """Valence levels move by CHARGE_SHIFT per unit of atomic charge."""
    n = len(basis)
    hii = [H_II[(ATOMS[f.atom][0], f.shell)] - (0.0 if is_core(f) else CHARGE_SHIFT * charges[f.atom])
           for f in basis]
    h = [[0.0] * n for _ in range(n)]
    for i in range(n):
        h[i][i] = hii[i]
        for j in range(n):
            if i != j and basis[i].atom != basis[j].atom:
                k = 1.0 if is_core(basis[i]) or is_core(basis[j]) else K_WH
                h[i][j] = k * s[i][j] * (hii[i] + hii[j]) / 2
    return h


def solve(h, s_half):
    """Energies (ascending) and coefficient columns of H c = e S c."""
    n = len(h)
    e, v = jacobi(matmul(matmul(s_half, h), s_half))
    c = matmul(s_half, v)
    order = sorted(range(n), key=lambda k: e[k])
    cols = []
    for k in order:
        col = [c[i][k] for i in range(n)]
        big = max(col, key=abs)  # a fixed phase: largest coefficient positive
        cols.append([x if big > 0 else -x for x in col])
    return [e[k] for k in order], cols


def extended_hueckel(basis, occupied):
    """Orbital energies, coefficient columns, overlap, density matrix and
    Mulliken charges, iterated (with damping) until the charges that shift
    the levels are the charges the orbitals give."""
    n = len(basis)
    s = [[overlap(f, g) for g in basis] for f in basis]
    w, u = jacobi(s)
    s_half = matmul(matmul(u, [[(1 / math.sqrt(w[i]) if i == j else 0.0) for j in range(n)] for i in range(n)]),
                    transpose(u))
    charges = [0.0] * len(ATOMS)
    for _ in range(500):
        energies, cols = solve(hamiltonian(basis, s, charges), s_half)
        p, found = mulliken(basis, cols, occupied, s)
        if max(abs(a - b) for a, b in zip(found, charges)) < 1e-9:
            return energies, cols, s, p, found
        charges = [0.8 * a + 0.2 * b for a, b in zip(charges, found)]
    raise RuntimeError("charges did not converge")


def mirror(basis, col, axis):
    """The coefficients after the reflection that turns coordinate `axis`."""
    out = [0.0] * len(col)
    for i, f in enumerate(basis):
        x, y, z = f.centre
        image = {1: (-x, y, z), 2: (x, -y, z)}[axis]
        j = next(j for j, g in enumerate(basis) if g.shell == f.shell and g.axis == f.axis and
                 all(abs(g.centre[c] - image[c]) < 1e-9 for c in range(3)))
        out[j] = -col[i] if f.axis == axis else col[i]
    return out


def symmetry(basis, col):
    """1 a1, 2 b1, 3 b2, 4 a2 from the characters of the xz and yz mirrors."""
    norm = sum(c * c for c in col)
    xz = sum(a * b for a, b in zip(col, mirror(basis, col, 2))) / norm
    yz = sum(a * b for a, b in zip(col, mirror(basis, col, 1))) / norm
    assert abs(abs(xz) - 1) < 1e-6 and abs(abs(yz) - 1) < 1e-6, "orbital of mixed symmetry"
    return {(1, 1): 1, (1, -1): 2, (-1, 1): 3, (-1, -1): 4}[(round(xz), round(yz))]


def lattice():
    """Origin (bohr) and the coordinates of the points along each axis."""
    xyz = [[p[c] / BOHR for _, _, p in ATOMS] for c in range(3)]
    origin = [(min(v) + max(v)) / 2 - STEP * (n - 1) / 2 for v, n in zip(xyz, NET)]
    return origin, [[origin[c] + STEP * i for i in range(NET[c])] for c in range(3)]


def ao_rows(basis, axes):
    """For each lattice row (i, j), the values of every AO along axis 3.
    Each primitive factorises into x, y and z parts, tabulated once."""
    tables = []
    for f in basis:
        parts = []
        for coef, alpha in f.prims:
            g = [[math.exp(-alpha * (t - f.centre[c])**2) for t in axes[c]] for c in range(3)]
            if f.axis:  # the p factor goes to its own axis
                a = f.axis - 1
                g[a] = [v * (t - f.centre[a]) for v, t in zip(g[a], axes[a])]
            parts.append((coef, g))
        tables.append(parts)
    n1, n2 = NET[0], NET[1]
    for i in range(n1):
        for j in range(n2):
            row = []
            for parts in tables:
                vals = None
                for coef, g in parts:
                    w = coef * g[0][i] * g[1][j]
                    if vals is None:
                        vals = [w * v for v in g[2]]
                    else:
                        vals = [a + w * v for a, v in zip(vals, g[2])]
                row.append(vals)
            yield row


def orbital_grids(basis, cols, shown, occupied):
    """Values of the shown orbitals and of the density, in point order."""
    grids = {k: array.array("d") for k in shown}
    density = array.array("d")
    n3 = NET[2]
    for row in ao_rows(basis, lattice()[1]):
        mo = {}
        for k in set(shown) | set(occupied):
            terms = [(c, v) for c, v in zip(cols[k], row) if abs(c) > 1e-12]
            vals = [0.0] * n3
            for c, v in terms:
                vals = [a + c * b for a, b in zip(vals, v)]
            mo[k] = vals
        for k in shown:
            grids[k].extend(mo[k])
        rho = [0.0] * n3
        for k in occupied:
            rho = [r + 2 * v * v for r, v in zip(rho, mo[k])]
        density.extend(rho)
    return grids, density


def mulliken(basis, cols, occupied, s):
    n = len(basis)
    p = [[sum(2 * cols[k][i] * cols[k][j] for k in occupied) for j in range(n)] for i in range(n)]
    gross = [sum(p[i][j] * s[i][j] for j in range(n)) for i in range(n)]
    charges = [z - sum(gross[i] for i in range(n) if basis[i].atom == a) for a, (_, z, _) in enumerate(ATOMS)]
    return p, charges


def potential_terms(basis, p, s):
    """Per atom, Gaussian charge terms (gamma, scalar, vector, tensor) of its
    share of the electrons: the one-centre density exactly, plus the
    overlap charges of its functions spread as their spherical averages."""
    n = len(basis)
    terms = []
    for a in range(len(ATOMS)):
        own = [i for i in range(n) if basis[i].atom == a]
        d = {(i, j): p[i][j] for i in own for j in own}
        for i in own:
            g = sum(p[i][j] * s[i][j] for j in range(n) if basis[j].atom != a)
            if basis[i].axis == 0:
                d[(i, i)] += g
            else:  # the spherical average of a p function: a third on each axis
                for j in own:
                    if basis[j].shell == basis[i].shell and basis[j].axis:
                        d[(j, j)] += g / 3
        groups = {}
        for (i, j), dij in d.items():
            fi, fj = basis[i], basis[j]
            for ci, ai in fi.prims:
                for cj, aj in fj.prims:
                    gam = round(ai + aj, 9)
                    t = groups.setdefault(gam, [0.0, [0.0] * 3, [[0.0] * 3 for _ in range(3)]])
                    w = dij * ci * cj
                    if fi.axis and fj.axis:
                        t[2][fi.axis - 1][fj.axis - 1] += w
                    elif fi.axis or fj.axis:
                        t[1][(fi.axis or fj.axis) - 1] += w
                    else:
                        t[0] += w
        prepared = []
        for gam, (c, vec, q) in groups.items():
            w = (math.pi / gam)**1.5
            tr = q[0][0] + q[1][1] + q[2][2]
            prepared.append((math.sqrt(gam), gam, w * (c + tr / (2 * gam)), [w / (2 * gam) * x for x in vec],
                             [[w / (4 * gam * gam) * x for x in r] for r in q], w / (4 * gam * gam) * tr))
        terms.append(prepared)
    return terms


def electron_potential(atom_terms, r):
    """Potential at r (from the atom) of the charge terms of one atom. A
    charge x_k x_l exp(-g r^2) is a derivative of a spherical Gaussian, so
    its potential is the matching derivative of F(R) = erf(sqrt(g) R)/R."""
    r2 = r[0] * r[0] + r[1] * r[1] + r[2] * r[2]
    rr = math.sqrt(r2)
    v = 0.0
    for a, gam, mono, dip, quad, trq in atom_terms:
        e = TWO_OVER_SQRT_PI * a * math.exp(-gam * r2)
        er = math.erf(a * rr)
        f0 = er / rr
        f1 = e / rr - er / r2
        f2 = -2 * e * (gam + 1 / r2) + 2 * er / (r2 * rr)
        dr = dip[0] * r[0] + dip[1] * r[1] + dip[2] * r[2]
        rqr = sum(quad[k][l] * r[k] * r[l] for k in range(3) for l in range(3))
        v += mono * f0 - dr * f1 / rr + rqr * (f2 / r2 - f1 / (r2 * rr)) + trq * f1 / rr
    return v


def electrostatic_potential(terms):
    """Nuclei minus electrons, in point order."""
    axes = lattice()[1]
    centres = [tuple(x / BOHR for x in pos) for _, _, pos in ATOMS]
    out = array.array("d")
    for x in axes[0]:
        for y in axes[1]:
            for z in axes[2]:
                v = 0.0
                for (_, charge, _), (ax, ay, az), atom_terms in zip(ATOMS, centres, terms):
                    r = (x - ax, y - ay, z - az)
                    v += charge / math.sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2])
                    v -= electron_potential(atom_terms, r)
                out.append(v)
    return out


def monopole(terms):
    return [sum(t[2] for t in atom_terms) for atom_terms in terms]


def blocks(grids):
    """The data section: full blocks interleaved grid by grid, then the last,
    shorter block of every grid."""
    points = len(grids[0])
    count = -(-points // BLOCK_SIZE)
    data = array.array("d")
    for b in range(count - 1):
        for g in grids:
            data.extend(g[b * BLOCK_SIZE:(b + 1) * BLOCK_SIZE])
    for g in grids:
        data.extend(g[(count - 1) * BLOCK_SIZE:])
    if sys.byteorder != "little":
        data.byteswap()
    return count, data.tobytes()


def orbital_file(labels, types):
    """The embedded orbital file: orbitals per symmetry and their types."""
    per_sym = [[k for k in range(len(labels)) if labels[k][1] == s + 1] for s in range(4)]
    lines = ["#INPORB 2.2\n", "%8d" % 4 + "".join("%8d" % len(o) for o in per_sym) + "\n", "#INFO\n",
             "* formaldehyde, extended Hueckel, STO-3G functions; symmetries a1 b1 b2 a2\n", "#INDEX\n"]
    for orbs in per_sym:
        letters = "".join(types[k] for k in sorted(orbs, key=lambda k: labels[k][2]))
        lines.append("* 1234567890\n")
        lines += ["%d %s\n" % ((r // 10) % 10, letters[r:r + 10]) for r in range(0, len(letters), 10)]
    return lines


def main():
    basis = build_basis()
    n_occ = sum(z for _, z, _ in ATOMS) // 2
    occupied = list(range(n_occ))
    energies, cols, s, p, charges = extended_hueckel(basis, occupied)
    seen = [0] * 4
    labels = []  # (name, symmetry, index within symmetry)
    for k, col in enumerate(cols):
        sym = symmetry(basis, col)
        seen[sym - 1] += 1
        labels.append(("%d%s" % (seen[sym - 1], SYM_NAMES[sym - 1]), sym, seen[sym - 1]))
    n_core = sum(1 for _, z, _ in ATOMS if z > 2)
    types = [TYPE_LETTER["core" if k < n_core else "occupied" if k < n_occ else "virtual"] for k in range(len(cols))]
    shown = sorted(k for k, l in enumerate(labels) if l[0] in SHOWN)
    assert labels[n_occ - 1][0] == "2b2" and labels[n_occ][0] == "2b1", "unexpected HOMO or LUMO"

    terms = potential_terms(basis, p, s)
    assert abs(sum(monopole(terms)) - 2 * n_occ) < 1e-8, "electrons lost in the potential model"
    orbitals, density = orbital_grids(basis, cols, shown, occupied)
    epot = electrostatic_potential(terms)

    grids = [density, epot] + [orbitals[k] for k in shown]
    n_blocks, data = blocks(grids)
    # Readers look for markers in text lines; none may turn up in the data.
    for marker in (b"<end>", b"<break>", b"<grid>", b"/grid", b"density"):
        assert marker not in data.lower(), "marker in the binary data"
    origin, _ = lattice()
    points = NET[0] * NET[1] * NET[2]
    index_counts = [types.count(letter) for letter in "ufi123s"]
    head = ["  %d\n" % len(ATOMS), "formaldehyde, extended Hueckel orbitals, electron density and electrostatic "
            "potential (generated by scripts/make_orbital_examples.py)\n"]
    head += [" %s  %15.9f  %15.9f  %15.9f\n" % (sym, x, y, z) for sym, _, (x, y, z) in ATOMS]
    head += [" <ATOM>\n"] + ["MULLIKEN_CHARGE = %f \n" % q for q in charges] + [" </ATOM>\n"]
    head += [" <GRID>\n",
             " N_of_MO=%d N_of_Grids=%d N_of_Points=%d Block_Size=%d N_Blocks=%d Is_cutoff=0 CutOff=%8.4f N_P=0\n" %
             (len(cols), len(grids), points, BLOCK_SIZE, n_blocks, 0.0),
             " N_INDEX= %s\n" % " ".join(str(c) for c in index_counts), " Net= %d %d %d\n" % NET,
             " Origin= %f %f %f\n" % tuple(origin)]
    head += [" Axis_%d= %f %f %f\n" % ((a + 1,) + tuple(STEP * (NET[a] - 1) if c == a else 0.0 for c in range(3)))
             for a in range(3)]
    head += [" ORBOFF = %d\n" % len(data), " GridName= Density\n", " GridName= Electrostatic potential\n"]
    head += [" GridName= Orbital  sym= %d index=%d Energ=%f occ=%f type=%s\n" %
             (labels[k][1], labels[k][2], energies[k], 2.0 if k < n_occ else 0.0, types[k]) for k in shown]
    head.append(" <DENSITY>\n")
    tail = [" </DENSITY>\n", " <BASIS>\n", " </BASIS>\n"] + orbital_file(labels, types)
    tail += [" </INPORB>\n", " </GRID>\n", " <END>\n"]
    with open(OUT, "wb") as f:
        f.write("".join(head).encode("ascii"))
        f.write(data)
        f.write("".join(tail).encode("ascii"))

    for k, (name, sym, index) in enumerate(labels):
        print("%-4s sym %d index %d  %10.5f Eh  %s%s" % (name, sym, index, energies[k], types[k],
                                                          "  (grid)" if k in shown else ""))
    print("Mulliken charges:", " ".join("%s %+.3f" % (a[0], q) for a, q in zip(ATOMS, charges)))
    print("wrote %s (%d bytes)" % (os.path.normpath(OUT), os.path.getsize(OUT)))


main()
