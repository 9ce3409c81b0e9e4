#!/usr/bin/env python3
"""Rewrites a formatted checkpoint file with every s shell that is followed
by a p shell of the same atom and exponents merged into one SP shell
(shell type -1, the p coefficients in "P(S=P) Contraction coefficients"),
as Gaussian writes such shells, and Gaussian's title line:
fchk_sp_shells.py IN.fchk OUT.fchk. The basis functions keep their order
(s, then x, y, z), so the orbitals are unchanged."""
import sys


def read(path):
    """The fields in file order: (label, type, value or list, scalar)."""
    fields, lines = [], open(path).read().split("\n")
    head, k = lines[:2], 2
    while k < len(lines):
        line = lines[k]
        k += 1
        if not line.strip():
            continue
        label, rest = line[:43].rstrip(), line[43:].split()
        if len(rest) == 3 and rest[1] == "N=":
            n, values = int(rest[2]), []
            while len(values) < n:
                values += lines[k].split()
                k += 1
            fields.append([label, rest[0], values, False])
        else:
            fields.append([label, rest[0], rest[1], True])
    return head, fields


def write(path, head, fields):
    with open(path, "w") as out:
        out.write("\n".join(head) + "\n")
        for label, kind, value, scalar in fields:
            if scalar:
                out.write("%-43s%s%s\n" % (label, kind, ("%17s" if kind == "I" else "%27s") % value))
                continue
            out.write("%-43s%-3s N=%12d\n" % (label, kind, len(value)))
            per = 6 if kind == "I" else 5
            width = "%12s" if kind == "I" else "%16s"
            for i in range(0, len(value), per):
                out.write("".join(width % v for v in value[i:i + per]) + "\n")


def main():
    head, fields = read(sys.argv[1])
    f = {field[0]: field for field in fields}
    types = [int(x) for x in f["Shell types"][2]]
    nprim = [int(x) for x in f["Number of primitives per shell"][2]]
    atoms = f["Shell to atom map"][2]
    exps = f["Primitive exponents"][2]
    coef = f["Contraction coefficients"][2]
    new_types, new_nprim, new_atoms, new_exps, new_coef, new_p = [], [], [], [], [], []
    k = first = 0
    while k < len(types):
        n = nprim[k]
        prims = slice(first, first + n)
        nxt = slice(first + n, first + 2 * n)
        sp = (types[k] == 0 and k + 1 < len(types) and types[k + 1] == 1 and nprim[k + 1] == n
              and atoms[k + 1] == atoms[k] and exps[nxt] == exps[prims])
        new_types.append(-1 if sp else types[k])
        new_nprim.append(n)
        new_atoms.append(atoms[k])
        new_exps += exps[prims]
        new_coef += coef[prims]
        new_p += coef[nxt] if sp else ["0.00000000e+00"] * n
        first += 2 * n if sp else n
        k += 2 if sp else 1
    f["Shell types"][2] = [str(t) for t in new_types]
    f["Number of primitives per shell"][2] = [str(n) for n in new_nprim]
    f["Shell to atom map"][2] = new_atoms
    f["Primitive exponents"][2] = new_exps
    f["Contraction coefficients"][2] = new_coef
    f["Number of contracted shells"][2] = str(len(new_types))
    f["Number of primitive shells"][2] = str(len(new_exps))
    at = fields.index(f["Contraction coefficients"]) + 1
    fields.insert(at, ["P(S=P) Contraction coefficients", "R", new_p, False])
    fields = [x for x in fields if x[0] != "Coordinates of each shell"]
    head[0] = "water, SP shells"
    write(sys.argv[2], head, fields)


main()
