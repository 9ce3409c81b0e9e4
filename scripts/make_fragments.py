#!/usr/bin/env python3
"""Writes the fragment library: mivorrc/fragments.rc and one fragment file
per fragment, built from bond lengths and angles.

Every fragment file lists its atoms in roles:
  atom 1 (file numbering)  the attachment point: where the atom that receives
                           the fragment sits, at the length of a bond from a
                           tetrahedral carbon to the fragment's first atom;
  atom 2                   the cap that completes the fragment inserted on its
                           own (a hydrogen, or what the group's parent molecule
                           has there), along the same direction;
  atom 3                   the atom that bonds to the receiving atom;
  atoms 4 and up           the rest of the group.
The bond block lists every bond among atoms 2 and up; a bond 1-3 gives the
type of the bond to the receiving atom when that is not single.

Bond lengths (angstrom) are the mean values for organic molecules of Allen et
al., "Tables of bond lengths determined by X-ray and neutron diffraction",
J. Chem. Soc. Perkin Trans. 2 (1987) S1-S19, rounded to 0.01; those of the
small parent molecules that cap a fragment alone (HCl, HBr, HI, HCN, H2O) are
their gas-phase values from the CRC Handbook of Chemistry and Physics,
"Bond lengths in free molecules". Angles are the ideal ones of the hybrid
(109.47, 120, 180 degrees) except where the group is known to differ: water
104.5, C-O-H 108.5, C-O-C 111.7, the nitro, carboxyl, formyl and acetyl
angles, and the cyclohexane chair (C-C-C 111.0).

Run from the repository: python3 scripts/make_fragments.py
"""
import math
import os

# Bond lengths (angstrom).
CH3_H = 1.09      # C(sp3)-H
CSP2_H = 1.08     # C(sp2)-H, also aromatic C-H
CSP_H = 1.06      # C(sp)-H
CHO_H = 1.10      # aldehyde C-H
C_C = 1.53        # C(sp3)-C(sp3)
C_CSP2 = 1.50     # C(sp3)-C(sp2)
C_CAR = 1.51      # C(sp3)-C(aromatic)
C_CSP = 1.47      # C(sp3)-C(sp)
C_CO = 1.51       # C(sp3)-C(=O)
C_EQ_C = 1.33     # C=C
C_TR_C = 1.18     # C#C
C_AR = 1.39       # aromatic C-C
C_AR_N = 1.34     # aromatic C-N (pyridine)
C_N = 1.47        # C(sp3)-N (amines)
C_NO2 = 1.49      # C(sp3)-N of a nitro group
N_O = 1.22        # nitro N-O
N_H = 1.01
C_O = 1.43        # C(sp3)-O (alcohols, ethers)
C_EQ_O = 1.21     # C=O of aldehydes and ketones
C_OH_ACID = 1.31  # C-O of a carboxylic acid
C_EQ_O_ACID = 1.21
O_H = 0.97
C_F = 1.33        # C-F of CF3
C_CL = 1.77
C_BR = 1.94
C_I = 2.14
C_TR_N = 1.14     # C#N of nitriles
H_CL = 1.27       # HCl, gas phase
H_BR = 1.41       # HBr
H_I = 1.61        # HI
H_CN = 1.07       # H-C of HCN
WATER_OH = 0.96   # H2O, gas phase

TETRA = 109.47
TRIGONAL = 120.0


def sub(a, b):
    return [a[0] - b[0], a[1] - b[1], a[2] - b[2]]


def add(a, b):
    return [a[0] + b[0], a[1] + b[1], a[2] + b[2]]


def scale(a, s):
    return [a[0] * s, a[1] * s, a[2] * s]


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def unit(a):
    n = math.sqrt(dot(a, a))
    return scale(a, 1.0 / n)


def place(a, b, c, r, theta, phi):
    """The point D with |CD| = r, angle B-C-D = theta and dihedral
    A-B-C-D = phi (degrees)."""
    bc = unit(sub(c, b))
    n = unit(cross(sub(b, a), bc))
    m = cross(n, bc)
    t, p = math.radians(theta), math.radians(phi)
    d = [-r * math.cos(t), r * math.sin(t) * math.cos(p), r * math.sin(t) * math.sin(p)]
    return add(c, add(scale(bc, d[0]), add(scale(m, d[1]), scale(n, d[2]))))


class Fragment:
    """A fragment whose atom 3 stands at the origin, with the attachment
    point and the cap along `direction` from it (the negative x axis unless
    given)."""

    # A point off the x axis that fixes dihedral angles about the bond to
    # the receiving atom.
    GHOST = [-1.0, 1.0, 0.0]

    def __init__(self, name, title, first, attach_length, cap, cap_length, direction=(-1.0, 0.0, 0.0)):
        self.name, self.title = name, title
        self.atoms, self.bonds = [], []
        self.add("C", scale(list(direction), attach_length))
        self.add(cap, scale(list(direction), cap_length))
        self.add(first, [0.0, 0.0, 0.0])
        self.bond(2, 3, 1)

    def add(self, symbol, xyz):
        self.atoms.append((symbol, xyz))
        return len(self.atoms)

    def bond(self, a, b, kind):
        self.bonds.append((a, b, kind))

    def xyz(self, k):
        return self.GHOST if k == 0 else self.atoms[k - 1][1]

    def zmat(self, symbol, bonded, r, angle_ref, theta, dihedral_ref, phi, kind=1):
        """Adds an atom bonded to atom `bonded` (file numbering; 0 is the
        ghost point) at distance r, angle and dihedral to the given atoms."""
        k = self.add(symbol, place(self.xyz(dihedral_ref), self.xyz(angle_ref), self.xyz(bonded), r, theta, phi))
        self.bond(bonded, k, kind)
        return k

    def write(self, folder):
        lines = [f"{len(self.atoms)}", f"{self.title}"]
        for symbol, (x, y, z) in self.atoms:
            lines.append(f"{symbol:<2} {x:12.6f} {y:12.6f} {z:12.6f}")
        lines.append("<bond>")
        lines.append("atom atom type")
        for a, b, kind in self.bonds:
            lines.append(f"{a} {b} {kind}")
        lines.append("</bond>")
        lines.append("<end>")
        with open(os.path.join(folder, self.name + ".frg"), "w") as f:
            f.write("\n".join(lines) + "\n")


def methyls(f, carbon, angle_ref, dihedral_ref, offset=60.0):
    """Three staggered hydrogens on a tetrahedral carbon."""
    for phi in (offset, offset + 120, offset + 240):
        f.zmat("H", carbon, CH3_H, angle_ref, TETRA, dihedral_ref, phi)


def ring(f, start, centre_dir, plane_dir, sides, replace=None):
    """An aromatic six-membered ring (bonds of order 1.5) through atom
    `start` whose centre lies along `centre_dir` from it, in the plane of
    centre_dir and plane_dir, with hydrogens on its other carbons; `sides` is
    the side length; `replace` maps ring positions (1-5, counted from start)
    to another symbol and its shift towards the centre."""
    replace = replace or {}
    u = unit(centre_dir)
    v = unit(sub(plane_dir, scale(u, dot(plane_dir, u))))
    origin = f.xyz(start)
    centre = add(origin, scale(u, sides))
    members = [start]
    for k in range(1, 6):
        a = math.radians(180.0 + 60.0 * k)
        radial = add(scale(u, math.cos(a)), scale(v, math.sin(a)))
        symbol, shift = replace.get(k, ("C", 0.0))
        members.append(f.add(symbol, add(centre, scale(radial, sides - shift))))
    for k in range(6):
        f.bond(members[k], members[(k + 1) % 6], 5)
    for atom in members[1:]:
        if f.atoms[atom - 1][0] != "C":
            continue
        radial = unit(sub(f.xyz(atom), centre))
        h = f.add("H", add(f.xyz(atom), scale(radial, CSP2_H)))
        f.bond(atom, h, 1)


def fragments():
    out = []

    f = Fragment("methyl", "methyl -CH3 (alone: methane)", "C", C_C, "H", CH3_H)
    methyls(f, 3, 1, 0)
    out.append(f)

    f = Fragment("ethyl", "ethyl -CH2CH3 (alone: ethane)", "C", C_C, "H", CH3_H)
    c = f.zmat("C", 3, C_C, 1, TETRA, 0, 180)
    for phi in (60, 300):
        f.zmat("H", 3, CH3_H, 1, TETRA, 0, phi)
    methyls(f, c, 3, 1)
    out.append(f)

    f = Fragment("isopropyl", "isopropyl -CH(CH3)2 (alone: propane)", "C", C_C, "H", CH3_H)
    c1 = f.zmat("C", 3, C_C, 1, TETRA, 0, 60)
    c2 = f.zmat("C", 3, C_C, 1, TETRA, 0, 300)
    f.zmat("H", 3, CH3_H, 1, TETRA, 0, 180)
    methyls(f, c1, 3, 1)
    methyls(f, c2, 3, 1)
    out.append(f)

    f = Fragment("tert-butyl", "tert-butyl -C(CH3)3 (alone: isobutane)", "C", C_C, "H", CH3_H)
    carbons = [f.zmat("C", 3, C_C, 1, TETRA, 0, phi) for phi in (60, 180, 300)]
    for c in carbons:
        methyls(f, c, 3, 1)
    out.append(f)

    f = Fragment("phenyl", "phenyl -C6H5 (alone: benzene)", "C", C_CAR, "H", CSP2_H)
    ring(f, 3, [1, 0, 0], [0, 1, 0], C_AR)
    out.append(f)

    f = Fragment("benzyl", "benzyl -CH2C6H5 (alone: toluene)", "C", C_C, "H", CH3_H)
    c = f.zmat("C", 3, C_CAR, 1, TETRA, 0, 180)
    for phi in (60, 300):
        f.zmat("H", 3, CH3_H, 1, TETRA, 0, phi)
    # The ring plane stands across the plane of the attachment and the CH2-C bond.
    axis = sub(f.xyz(c), f.xyz(3))
    across = cross(axis, sub(f.xyz(1), f.xyz(3)))
    ring(f, c, axis, across, C_AR)
    out.append(f)

    f = Fragment("vinyl", "vinyl -CH=CH2 (alone: ethene)", "C", C_CSP2, "H", CSP2_H)
    c = f.zmat("C", 3, C_EQ_C, 1, TRIGONAL, 0, 180, kind=2)
    f.zmat("H", 3, CSP2_H, 1, TRIGONAL, 0, 0)
    f.zmat("H", c, CSP2_H, 3, TRIGONAL, 1, 0)
    f.zmat("H", c, CSP2_H, 3, TRIGONAL, 1, 180)
    out.append(f)

    f = Fragment("ethynyl", "ethynyl -C#CH (alone: ethyne)", "C", C_CSP, "H", CSP_H)
    c = f.add("C", [C_TR_C, 0.0, 0.0])
    f.bond(3, c, 3)
    h = f.add("H", [C_TR_C + CSP_H, 0.0, 0.0])
    f.bond(c, h, 1)
    out.append(f)

    f = Fragment("hydroxyl", "hydroxyl -OH (alone: water)", "O", C_O, "H", O_H)
    f.zmat("H", 3, O_H, 1, 108.5, 0, 0)
    out.append(f)

    f = Fragment("methoxy", "methoxy -OCH3 (alone: methanol)", "O", C_O, "H", O_H)
    c = f.zmat("C", 3, C_O, 1, 111.7, 0, 180)
    methyls(f, c, 3, 1)
    out.append(f)

    f = Fragment("amino", "amino -NH2 (alone: ammonia)", "N", C_N, "H", N_H)
    for phi in (60, 300):
        f.zmat("H", 3, N_H, 1, TETRA, 0, phi)
    out.append(f)

    f = Fragment("dimethylamino", "dimethylamino -N(CH3)2 (alone: dimethylamine)", "N", C_N, "H", N_H)
    for phi in (60, 300):
        c = f.zmat("C", 3, C_N, 1, TETRA, 0, phi)
        methyls(f, c, 3, 1)
    out.append(f)

    f = Fragment("nitro", "nitro -NO2, bonds of order 1.5 (alone: HNO2)", "N", C_NO2, "H", N_H)
    for phi in (0, 180):
        f.zmat("O", 3, N_O, 1, 117.5, 0, phi, kind=5)
    out.append(f)

    f = Fragment("cyano", "cyano -C#N (alone: hydrogen cyanide)", "C", C_CSP, "H", H_CN)
    n = f.add("N", [C_TR_N, 0.0, 0.0])
    f.bond(3, n, 3)
    out.append(f)

    # An oxo oxygen: double bonded to the receiving atom; alone, a C=O unit.
    f = Fragment("carbonyl", "carbonyl =O, joined by a double bond (alone: C=O)", "O", C_EQ_O, "C", C_EQ_O)
    f.bonds = [(2, 3, 2), (1, 3, 2)]
    out.append(f)

    f = Fragment("carboxyl", "carboxyl -COOH (alone: formic acid)", "C", C_CO, "H", CHO_H)
    f.zmat("O", 3, C_EQ_O_ACID, 1, 123.0, 0, 0, kind=2)
    o = f.zmat("O", 3, C_OH_ACID, 1, 112.0, 0, 180)
    f.zmat("H", o, O_H, 3, 106.0, 1, 180)
    out.append(f)

    f = Fragment("formyl", "formyl -CHO (alone: formaldehyde)", "C", C_CO, "H", CHO_H)
    f.zmat("O", 3, C_EQ_O, 1, 124.0, 0, 0, kind=2)
    f.zmat("H", 3, CHO_H, 1, 115.0, 0, 180)
    out.append(f)

    f = Fragment("acetyl", "acetyl -COCH3 (alone: acetaldehyde)", "C", C_CO, "H", CHO_H)
    o = f.zmat("O", 3, C_EQ_O, 1, 121.0, 0, 0, kind=2)
    c = f.zmat("C", 3, C_CO, 1, 117.0, 0, 180)
    methyls(f, c, 3, o, offset=0.0)
    out.append(f)

    f = Fragment("trifluoromethyl", "trifluoromethyl -CF3 (alone: fluoroform)", "C", C_C, "H", CH3_H)
    for phi in (60, 180, 300):
        f.zmat("F", 3, C_F, 1, 111.0, 0, phi)
    out.append(f)

    out.append(Fragment("chloro", "chloro -Cl (alone: hydrogen chloride)", "Cl", C_CL, "H", H_CL))
    out.append(Fragment("bromo", "bromo -Br (alone: hydrogen bromide)", "Br", C_BR, "H", H_BR))
    out.append(Fragment("iodo", "iodo -I (alone: hydrogen iodide)", "I", C_I, "H", H_I))

    out.append(cyclohexyl())

    f = Fragment("pyridyl", "4-pyridyl -C5H4N (alone: pyridine)", "C", C_CAR, "H", CSP2_H)
    # Nitrogen opposite the attachment, moved in so that both C-N bonds are
    # 1.34 with C-C bonds of 1.39.
    half = C_AR * math.sqrt(3) / 2
    shift = C_AR / 2 - math.sqrt(C_AR_N ** 2 - half ** 2)
    ring(f, 3, [1, 0, 0], [0, 1, 0], C_AR, replace={3: ("N", shift)})
    out.append(f)

    f = Fragment("water", "water H2O; attached, a hydroxyl with the angle of water", "O", C_O, "H", WATER_OH)
    f.zmat("H", 3, WATER_OH, 1, 104.5, 0, 0)
    out.append(f)
    return out


def cyclohexyl():
    """A chair: ring atoms alternately above and below a circle, with C-C
    1.53 and C-C-C 111.0; the attachment equatorial on ring atom 1."""
    angle = math.radians(111.0)
    radius = C_C * math.sqrt(2 * (1 - math.cos(angle))) / math.sqrt(3)
    height = math.sqrt(C_C ** 2 - radius ** 2) / 2
    ring_xyz = [[radius * math.cos(math.radians(60 * k)), radius * math.sin(math.radians(60 * k)),
                 height if k % 2 == 0 else -height] for k in range(6)]

    def substituents(k):
        """The two tetrahedral directions of ring atom k: (equatorial, axial)."""
        p = ring_xyz[k]
        n1, n2 = unit(sub(ring_xyz[(k + 1) % 6], p)), unit(sub(ring_xyz[(k + 5) % 6], p))
        b = scale(unit(add(n1, n2)), -1)
        q = unit(cross(n1, n2))
        half = math.radians(TETRA / 2)
        d1 = unit(add(scale(b, math.cos(half)), scale(q, math.sin(half))))
        d2 = unit(sub(scale(b, math.cos(half)), scale(q, math.sin(half))))
        return (d1, d2) if abs(d1[2]) < abs(d2[2]) else (d2, d1)

    # Ring atom 0 goes to the origin.
    shift = scale(ring_xyz[0], -1)
    ring_xyz = [add(p, shift) for p in ring_xyz]
    equatorial, axial = substituents(0)
    f = Fragment("cyclohexyl", "cyclohexyl -C6H11, attached equatorially (alone: cyclohexane)", "C", C_C, "H",
                 CH3_H, equatorial)
    members = [3] + [f.add("C", ring_xyz[k]) for k in range(1, 6)]
    for k in range(6):
        f.bond(members[k], members[(k + 1) % 6], 1)
    h = f.add("H", scale(axial, CH3_H))
    f.bond(3, h, 1)
    for k in range(1, 6):
        for d in substituents(k):
            h = f.add("H", add(ring_xyz[k], scale(d, CH3_H)))
            f.bond(members[k], h, 1)
    return f


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "mivorrc")
    entries = []
    for f in fragments():
        f.write(folder)
        entries.append(f"{f.name}.frg {f.name}.png\n")
    with open(os.path.join(folder, "fragments.rc"), "w") as rc:
        rc.write("".join(entries))


if __name__ == "__main__":
    main()
