#!/usr/bin/env python3
"""Rewrites a Molden file that psi4 1.3 wrote as other programs write the
same wavefunction, from their documented conventions, for the converter
tests: molden_writers.py WRITER IN.molden OUT.molden

psi4 1.3 writes the Molden standard for spherical shells and gives every
Cartesian component of a d, f or g shell the normalisation of x^l; the
orbitals are first brought to the standard (each Cartesian component
normalised on its own), then written as the writer does:

  orca       [Title] naming orca_2mkl; the contraction coefficients of s, p
             and spherical d, f, g shells multiply unnormalised primitives
             (each times the norm of the primitive x^0, x, xy, xyz, x^2yz);
             the spherical functions with m = +3, -3 (f, g) and +4, -4 (g)
             change sign; flags after [GTO].
  psi4_0     psi4 before 1.0: s, p and spherical d, f contraction
             coefficients multiply unnormalised primitives, those of d and f
             also divided by sqrt(3) and sqrt(15); g as the standard.
  turbomole  an empty [Title], lower-case element names; every Cartesian
             component of a d, f, g shell is sqrt((2l-1)!!) times the
             standard one, so its coefficients are divided by that.
  cfour      [ATOMS] in capitals, a second [Molden Format] line before
             [GTO], lines other than coefficients padded to 80 columns; the orbital coefficient of a
             Cartesian component x^a y^b z^c is the standard one divided by
             sqrt((2a-1)!! (2b-1)!! (2c-1)!!).
  molpro     an unrestricted file as two complete Molden files one after the
             other: the first with the alpha orbitals, the second with the
             beta ones (both written with Spin= Alpha, so that only their
             place tells them apart); a [Molpro variables] section, labels
             "N.1", [Atoms] in Angs after [GTO] in the second file, the flag
             in lower case ([5d]), lines other than coefficients padded to
             80 columns.
"""
import math
import sys

BOHR = 0.52917721067


def dfact(n):
    r = 1
    while n > 1:
        r *= n
        n -= 2
    return r


CARTESIAN = {
    2: [(2, 0, 0), (0, 2, 0), (0, 0, 2), (1, 1, 0), (1, 0, 1), (0, 1, 1)],
    3: [(3, 0, 0), (0, 3, 0), (0, 0, 3), (1, 2, 0), (2, 1, 0), (2, 0, 1), (1, 0, 2), (0, 1, 2), (0, 2, 1),
        (1, 1, 1)],
    4: [(4, 0, 0), (0, 4, 0), (0, 0, 4), (3, 1, 0), (3, 0, 1), (1, 3, 0), (0, 3, 1), (1, 0, 3), (0, 1, 3),
        (2, 2, 0), (2, 0, 2), (0, 2, 2), (2, 1, 1), (1, 2, 1), (1, 1, 2)],
}
LETTERS = "spdfg"


def component_product(c):
    return dfact(2 * c[0] - 1) * dfact(2 * c[1] - 1) * dfact(2 * c[2] - 1)


def primitive_norm(alpha, c):
    """Norm of x^a y^b z^c exp(-alpha r^2)."""
    l = sum(c)
    return (2 * alpha / math.pi) ** 0.75 * (4 * alpha) ** (l / 2) / math.sqrt(component_product(c))


def read(path):
    """The sections of a Molden file: atoms, shells, flags and orbitals."""
    m = {"atoms": [], "shells": [], "flags": [], "mos": []}
    section = None
    atom = None
    for line in open(path):
        t = line.strip()
        if t.startswith("["):
            section = t[1:t.index("]")].lower()
            if section in ("5d", "5d7f", "5d10f", "7f", "9g"):
                m["flags"].append(t)
            continue
        w = t.split()
        if not w:
            continue
        if section == "atoms":
            m["atoms"].append((w[0], int(w[2]), [float(x) for x in w[3:6]]))
        elif section == "gto":
            if w[0].isdigit() and len(w) <= 2:
                atom = int(w[0])
            elif w[0].lower() in LETTERS:
                m["shells"].append({"atom": atom, "l": LETTERS.index(w[0].lower()), "prims": []})
            else:
                m["shells"][-1]["prims"].append((float(w[0]), float(w[1])))
        elif section == "mo":
            if "=" in t:
                key, value = [x.strip() for x in t.split("=", 1)]
                if key.lower() == "sym":
                    m["mos"].append({"coef": []})
                m["mos"][-1][key.lower()] = value
            else:
                m["mos"][-1]["coef"].append(float(w[1]))
    spherical = set()
    for f in m["flags"]:
        f = f.lower()
        if f in ("[5d]", "[5d7f]"):
            spherical |= {2, 3}
        if f == "[5d10f]":
            spherical.add(2)
        if f == "[7f]":
            spherical.add(3)
        if f == "[9g]":
            spherical.add(4)
    for s in m["shells"]:
        s["spherical"] = s["l"] in spherical
    return m


def functions(shell):
    l = shell["l"]
    return 2 * l + 1 if shell["spherical"] or l < 2 else (l + 1) * (l + 2) // 2


def scale_orbitals(m, factor):
    """Multiplies the coefficient of function k of shell s by factor(s, k)."""
    scales = []
    for s in m["shells"]:
        scales += [factor(s, k) for k in range(functions(s))]
    for mo in m["mos"]:
        mo["coef"] = [c * f for c, f in zip(mo["coef"], scales)]


def to_standard(m):
    """psi4 1.3's Cartesian components share the norm of x^l: to the standard."""
    def factor(s, k):
        if s["spherical"] or s["l"] < 2:
            return 1.0
        return math.sqrt(component_product(CARTESIAN[s["l"]][k]) / dfact(2 * s["l"] - 1))
    scale_orbitals(m, factor)


def raw_primitives(m, components, divisors):
    for s in m["shells"]:
        l = s["l"]
        if l in components and (l < 2 or s["spherical"]):
            s["prims"] = [(a, c * primitive_norm(a, components[l]) / divisors.get(l, 1.0)) for a, c in s["prims"]]


def orca(m):
    raw_primitives(m, {0: (0, 0, 0), 1: (1, 0, 0), 2: (1, 1, 0), 3: (1, 1, 1), 4: (2, 1, 1)}, {})
    scale_orbitals(m, lambda s, k: -1.0 if s["spherical"] and s["l"] >= 3 and k >= 5 else 1.0)
    m["title"] = " Molden file created by orca_2mkl for BaseName=h2o"
    m["flags_after_gto"] = True


def psi4_0(m):
    raw_primitives(m, {0: (0, 0, 0), 1: (1, 0, 0), 2: (1, 1, 0), 3: (1, 1, 1)}, {2: math.sqrt(3), 3: math.sqrt(15)})


def turbomole(m):
    scale_orbitals(m, lambda s, k: 1.0 if s["spherical"] or s["l"] < 2 else 1 / math.sqrt(dfact(2 * s["l"] - 1)))
    m["title"] = ""
    m["lower_names"] = True


def cfour(m):
    scale_orbitals(m, lambda s, k: 1.0 if s["spherical"] or s["l"] < 2
                   else 1 / math.sqrt(component_product(CARTESIAN[s["l"]][k])))
    m["atoms_caps"] = True
    m["second_header"] = True
    m["pad"] = True


def atoms_text(m, angstrom=False):
    lines = ["[Atoms] Angs" if angstrom else ("[ATOMS] AU" if m.get("atoms_caps") else "[Atoms] AU")]
    for k, (name, charge, xyz) in enumerate(m["atoms"]):
        if m.get("lower_names"):
            name = name.lower()
        xyz = [x * BOHR for x in xyz] if angstrom else xyz
        lines.append("%-2s %5d %4d %20.12f %20.12f %20.12f" % ((name, k + 1, charge) + tuple(xyz)))
    return lines


def gto_text(m):
    lines = ["[GTO]"]
    atom = None
    for s in m["shells"]:
        if s["atom"] != atom:
            if atom is not None:
                lines.append("")
            atom = s["atom"]
            lines.append("%4d 0" % atom)
        lines.append(" %s %4d 1.00" % (LETTERS[s["l"]], len(s["prims"])))
        for a, c in s["prims"]:
            lines.append("%20.10f %24.14e" % (a, c))
    lines.append("")
    return lines


def mo_text(mos, spin=None, labels=False):
    lines = ["[MO]"]
    counts = {}
    for mo in mos:
        sym = mo["sym"]
        if labels:
            counts[sym] = counts.get(sym, 0) + 1
            sym = "%d.1" % counts[sym]
        lines += [" Sym= %s" % sym, " Ene= %s" % mo["ene"], " Spin= %s" % (spin or mo["spin"]),
                  " Occup= %s" % mo["occup"]]
        lines += ["%4d %19.11e" % (k + 1, c) for k, c in enumerate(mo["coef"])]
    return lines


def molden_text(m):
    lines = ["[Molden Format]"]
    if "title" in m:
        lines += ["[Title]", m["title"]]
    lines += atoms_text(m)
    if m.get("second_header"):
        lines.append("[Molden Format]")
    flags = m["flags"]
    if m.get("flags_after_gto"):
        lines += gto_text(m) + flags
    else:
        lines += flags + gto_text(m)
    lines += mo_text(m["mos"])
    return lines


def molpro_text(m):
    alpha = [mo for mo in m["mos"] if mo["spin"].lower() == "alpha"]
    beta = [mo for mo in m["mos"] if mo["spin"].lower() == "beta"]
    head = ["[Molden Format]", "[Title]", " Molpro unrestricted Hartree-Fock", "[Molpro variables]",
            "_NUMVAR= 3.0", "_ENERGY= -75.0"]
    flags = [f.lower() for f in m["flags"]]
    first = head + atoms_text(m, angstrom=True) + flags + gto_text(m) + mo_text(alpha, "Alpha", True)
    second = ["[Molden Format]", "[Title]", ""] + flags + gto_text(m) + atoms_text(m, angstrom=True) + \
        mo_text(beta, "Alpha", True)
    return first + second


def main():
    writer, source, target = sys.argv[1:4]
    m = read(source)
    to_standard(m)
    if writer == "molpro":
        lines = molpro_text(m)
        m["pad"] = True
    else:
        {"orca": orca, "psi4_0": psi4_0, "turbomole": turbomole, "cfour": cfour}[writer](m)
        lines = molden_text(m)
    with open(target, "w") as out:
        for line in lines:
            coefficient = line[:4].strip().isdigit() and "=" not in line
            out.write(("%-80s" % line if m.get("pad") and not coefficient else line) + "\n")


main()
