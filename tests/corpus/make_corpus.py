#!/usr/bin/env python3
"""Writes the regression corpus of damaged, huge and strange native files
into a directory: every file a hostile user has tried on the program, each
named after what it exercises. The corpus test (tests/cli/corpus_test.cpp)
runs mivor-cli on each and checks its message or its result.

    make_corpus.py OUT_DIR [--small] [NAME.mvr ...]

--small shrinks the huge files (for the sanitizer build, where the time and
memory budgets are not checked) while keeping their shape. Names choose the
files to write (all without)."""
import os
import struct
import sys

HEADER_KEYS = ("N_of_MO={mo} N_of_Grids={grids} N_of_Points={points} Block_Size={block} "
               "N_Blocks={blocks} Is_cutoff={cutoff} CutOff={radius} N_P=0")


def grid_section(net, values, names, block=None, blocks=1, cutoff=0, radius=0.0, orboff=None,
                 origin=(-1.0, -1.0, -1.0), axes=((2.0, 0, 0), (0, 2.0, 0), (0, 0, 2.0)), tail=b""):
    """A grid section: header, names, density line, the doubles, closing lines."""
    points = net[0] * net[1] * net[2]
    data = struct.pack("<%dd" % len(values), *values) if values else b""
    head = [" <GRID>",
            " " + HEADER_KEYS.format(mo=len(names), grids=len(names) if names else 0, points=points,
                                     block=block if block is not None else points, blocks=blocks,
                                     cutoff=cutoff, radius=radius),
            " N_INDEX= 0 0 0 0 0 0 0",
            " Net= %d %d %d" % tuple(net),
            " Origin= %f %f %f" % tuple(origin)]
    head += [" Axis_%d= %f %f %f" % ((k + 1,) + tuple(a)) for k, a in enumerate(axes)]
    head.append(" ORBOFF = %d" % (len(data) if orboff is None else orboff))
    head += names
    head.append(" <DENSITY>")
    return ("\n".join(head) + "\n").encode() + data + b" </DENSITY>\n" + tail + b" </GRID>\n"


def orbital(k):
    return " GridName= Orbital  sym= 1 index=%d Energ=-0.%d occ=2.000000 type=i" % (k + 1, k + 1)


def atoms(lines, comment="hostile"):
    return ("  %d\n%s\n" % (len(lines), comment) + "".join(l + "\n" for l in lines)).encode()


WATER = [" O  0.0 0.0 0.1173", " H  0.0 0.7572 -0.4692", " H  0.0 -0.7572 -0.4692"]


def smooth_values(net, scale=1.0):
    """A Gaussian lobe pair: positive around one end, negative around the other."""
    out = []
    for i in range(net[0]):
        for j in range(net[1]):
            for k in range(net[2]):
                x = i / max(net[0] - 1, 1) - 0.5
                out.append(scale * x * 2.718281828 ** (-8 * ((j / max(net[1] - 1, 1) - 0.5) ** 2 +
                                                          (k / max(net[2] - 1, 1) - 0.5) ** 2)))
    return out


WANTED = set()


def write(out, name, data):
    if WANTED and name not in WANTED:
        return
    with open(os.path.join(out, name), "wb") as f:
        f.write(data() if callable(data) else data)


def small_cases(out):
    """Files of a few kilobytes, the same in both sizes."""
    # Text boxes at the ends of the int range and beyond, with absurd fonts.
    write(out, "textbox_extreme.mvr", atoms(WATER) + (
        b"<TEXTBOX>\nRED = 1 X=2147483647 Y=2147483647\nSans 12\nfar corner\n</TEXTBOX>\n"
        b"<TEXTBOX>\nRED = 1 X=-2147483648 Y=-2147483648\nSans 2147483647\nhuge font\n</TEXTBOX>\n"
        b"<TEXTBOX>\nRED = 1 X=99999999999999 Y=-99999999999999\nSans -5\nbeyond int\n</TEXTBOX>\n"
        b"<TEXTBOX>\nRED = 1 X=20 Y=30\nSans 16\nsane\n</TEXTBOX>\n <END>\n"))

    # A header that claims 512^3 points with a cut-off mask and no data, in
    # three geometries, once with water and once with 1,000 atoms.
    claim = grid_section((512, 512, 512), [], [orbital(0)], cutoff=1, radius=4.0, orboff=0)
    write(out, "cutoff_claim.mvr", b"".join(atoms(WATER) + claim + b" <END>\n" for _ in range(3)))
    many = ["C %.3f %.3f %.3f" % (k % 10, (k // 10) % 10, k // 100) for k in range(1000)]
    write(out, "cutoff_claim_1000_atoms.mvr",
          atoms(many) + b" <BOND>\n AUTOMATIC = 0\n </BOND>\n" + claim + b" <END>\n")

    # The embedded orbital file claims 8 symmetries of 99,999,999 orbitals.
    net = (3, 3, 3)
    inporb = (b" <BASIS>\n </BASIS>\n#INPORB 2.2\n" + b"%8d" % 8 + b"%8d" % 99999999 * 8 + b"\n#INDEX\n" +
              b"* 1234567890\n0 iiiis\n" * 8 + b" </INPORB>\n")
    write(out, "orbital_claim.mvr",
          atoms(WATER) + grid_section(net, smooth_values(net), [orbital(0)], tail=inporb) + b" <END>\n")

    # Grids: origin and axes must survive a save and a re-read.
    net = (4, 5, 6)
    write(out, "grid_lattice.mvr", atoms(WATER) + grid_section(
        net, smooth_values(net) * 2, [orbital(0), " GridName= Density"], origin=(-3.25, -4.5, -5.75),
        axes=((6.5, 0, 0), (0, 9.0, 0), (0, 0, 11.5))) + b" <END>\n")

    # Names and symbols with bytes beyond ASCII (UTF-8 and Latin-1), one
    # with a blank, and key names as names.
    write(out, "byte_names.mvr", atoms(["\u00c5 0 0 0", "C\u03b1 1.5 0 0", "H 0 1 0"]).replace(
        b"\xc3\x85", b"\xc5") + (
        " <ATOM>\nNAME = \u00c5ngstr\u00f6m MULLIKEN_CHARGE = 0.5\nNAME = \"C alpha\"\n"
        "NAME = MULLIKEN_CHARGE LOPROP_CHARGE = -0.25\n </ATOM>\n <END>\n").encode())

    # Atom counts that disagree with the atom lines, before another geometry.
    write(out, "count_too_large.mvr", atoms(WATER).replace(b"  3\n", b"  5\n", 1) + b" <END>\n" +
          atoms(["C 0 0 0", "O 1.2 0 0"], "second") + b" <END>\n")
    write(out, "count_too_small.mvr", atoms(WATER).replace(b"  3\n", b"  1\n", 1) + b" <END>\n" +
          atoms(["C 0 0 0", "O 1.2 0 0"], "second") + b" <END>\n")

    # A vibration with a row missing, followed by a whole one.
    vib = (b"<VIBRATION>\n FREQ = 1500.0\n 0.1 0 0\n 0 0.1 0\n</VIBRATION>\n"
           b"<VIBRATION>\n FREQ = 3000.0\n 0.2 0 0\n 0 0.2 0\n 0 0 0.2\n</VIBRATION>\n")
    write(out, "vibration_short.mvr", atoms(WATER) + vib + b" <END>\n")

    # A grid count that disagrees with the grid names (both ways).
    net = (3, 3, 3)
    values = smooth_values(net) * 3
    section = grid_section(net, values, [orbital(0), orbital(1)])
    write(out, "grid_count_large.mvr", atoms(WATER) + section.replace(b"N_of_Grids=2", b"N_of_Grids=3") +
          b" <END>\n")
    write(out, "grid_count_small.mvr", atoms(WATER) + section.replace(b"N_of_Grids=2", b"N_of_Grids=1") +
          b" <END>\n")
    # One grid counted, an orbital and a density named and held: the
    # density's name line is a name, not the line before the data.
    named = grid_section(net, smooth_values(net) * 2, [orbital(0), " GridName= Density"])
    write(out, "grid_count_density.mvr", atoms(WATER) + named.replace(b"N_of_Grids=2", b"N_of_Grids=1") +
          b" <END>\n")

    # Geometries with different numbers of grids.
    two = grid_section(net, smooth_values(net) * 2, [orbital(0), orbital(1)])
    three = grid_section(net, smooth_values(net, 0.5) * 3, [orbital(0), orbital(1), orbital(2)])
    write(out, "grids_mixed.mvr", atoms(WATER) + two + b" <END>\n" + atoms(WATER) + three + b" <END>\n")

    # Degenerate grids: all NaN, one point, no points.
    nan = float("nan")
    write(out, "grid_nan.mvr", atoms(WATER) + grid_section((3, 3, 3), [nan] * 27, [orbital(0)]) + b" <END>\n")
    write(out, "grid_one_point.mvr", atoms(WATER) + grid_section((1, 1, 1), [0.25], [orbital(0)]) + b" <END>\n")
    write(out, "grid_no_points.mvr", atoms(WATER) + grid_section((0, 0, 0), [], [orbital(0)]) + b" <END>\n")


def alternating(n):
    values = [1.0 if (i + j + k) % 2 == 0 else -1.0 for i in range(n) for j in range(n) for k in range(n)]
    return atoms(WATER) + grid_section((n, n, n), values, [orbital(0)]) + b" <END>\n"


def many_bonds(natom, nbond):
    pairs = []
    for i in range(1, natom + 1):
        for j in range(i + 1, natom + 1):
            if len(pairs) == nbond:
                break
            pairs.append(b" %d  %d  1\n" % (i, j))
    lines = ["C %d %d %d" % (k % 10 * 2, k // 10 % 10 * 2, k // 100 * 2) for k in range(natom)]
    return atoms(lines) + b" <BOND>\n AUTOMATIC = 0\n" + b"".join(pairs) + b" </BOND>\n <END>\n"


def big_cases(out, small):
    """The huge files; --small keeps their shape at a fraction of the size.
    Each is made only when it is written."""
    # 128^3 values alternating +1 and -1: every cube crosses both levels.
    write(out, "surface_alternating.mvr", lambda: alternating(128))

    # 2 million "<END>" lines: as many empty geometries.
    write(out, "end_lines.mvr", lambda: b" <END>\n" * (100000 if small else 2000000))

    # 10 million one-letter atom lines.
    count = 200000 if small else 10000000
    write(out, "atom_lines.mvr", lambda: b"%d\none letter each\n" % count + b"H\n" * count + b" <END>\n")

    # 320,000 distinct bonds between 1,000 atoms.
    write(out, "bonds_many.mvr", lambda: many_bonds(1000, 20000 if small else 320000))


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    if not args:
        sys.exit(__doc__)
    out = args[0]
    WANTED.update(args[1:])
    os.makedirs(out, exist_ok=True)
    small_cases(out)
    big_cases(out, "--small" in sys.argv)


if __name__ == "__main__":
    main()
