#!/usr/bin/env bash
# Remakes the fixtures of the converter tests in tests/data/convert/ with
# the real programs (Debian's psi4 and openbabel): Molden files of
# formaldehyde with spherical and with Cartesian d functions, of the NH2
# radical and triplet O2 (UHF) and of hydrogen fluoride with g functions (spherical and
# Cartesian), the cube files psi4 writes for some of their orbitals and for
# the density, PDB, mol2 and SDF files written by Open Babel, and the output
# of an NWChem optimisation of water.
#
#   scripts/install-deps.sh --peers               (psi4, openbabel, nwchem)
#   bash scripts/make_converter_fixtures.sh      (about a minute)
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/tests/data/convert"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# One psi4 run: $1 name, $2 geometry block, $3 extra options, $4 orbitals
# to put on cubes (psi4 numbering: from 1 in order of energy, negative for
# beta; none: no cubes), $5 "density" to keep the density cube too. A basis
# block among the options replaces cc-pVDZ.
run_psi4() {
  local name=$1 geometry=$2 options=$3 orbitals=$4 density=${5:-}
  local cubes=""
  if [ -n "$orbitals" ]; then
    cubes="set cubeprop_tasks ['orbitals', 'density']
set cubeprop_orbitals [$orbitals]
set cubic_grid_spacing [0.5, 0.5, 0.5]
set cubic_grid_overage [2.5, 2.5, 2.5]
cubeprop(wfn)"
  fi
  mkdir -p "$work/$name"
  cat >"$work/$name/input.dat" <<INPUT
memory 500 mb
molecule {
$geometry
}
set basis cc-pvdz
set scf_type pk
set e_convergence 10
set d_convergence 10
$options
E, wfn = energy('scf', return_wfn=True)
molden(wfn, '$name.molden')
$cubes
INPUT
  (cd "$work/$name" && psi4 -n 1 input.dat -o output.dat)
  cp "$work/$name/$name.molden" "$out/"
  for f in "$work/$name"/Psi_*.cube "$work/$name"/Dt.cube; do
    # Psi_a_8_1-B2.cube -> NAME_a_8.cube; Dt.cube -> NAME_density.cube
    [ -e "$f" ] || continue
    local base
    base=$(basename "$f" .cube)
    case $base in
      Dt) if [ "$density" = density ]; then cp "$f" "$out/${name}_density.cube"; fi ;;
      Psi_*) cp "$f" "$out/${name}_$(echo "$base" | cut -d_ -f2,3).cube" ;;
    esac
  done
}

h2co="0 1
C  0.000000  0.000000 -0.529500
O  0.000000  0.000000  0.677500
H  0.000000  0.936000 -1.116000
H  0.000000 -0.936000 -1.116000"
run_psi4 h2co "$h2co" "set puream true" "8, 9" density
run_psi4 h2co_cart "$h2co" "set puream false" "8, 9"
run_psi4 nh2_uhf "0 2
N  0.000000  0.000000  0.000000
H  0.000000  0.803000  0.570000
H  0.000000 -0.803000  0.570000" "set reference uhf" "5, -4, -5"
# An open shell in D2h: triplet O2 (UHF, 6-31G), whose alpha and beta
# orbitals fill more than eight symmetries. No cubes.
run_psi4 o2_uhf "0 3
O  0.000000  0.000000 -0.604000
O  0.000000  0.000000  0.604000" "set basis 6-31g
set reference uhf" ""

# g functions: hydrogen fluoride in cc-pVDZ with a contracted g shell added
# on fluorine. The bond is tilted against all three axes and the run kept
# in C1, so that the orbitals mix every g component; orbital 22 (spherical)
# and 31 (Cartesian) are mostly g, 5 is the HOMO.
fluorine=$(awk '/^F +0/,/^\*\*\*\*/' "${PSIDATADIR:-/usr/share/psi4}/basis/cc-pvdz.gbs" | sed '$d')
g_basis="basis {
assign cc-pvdz
assign F ccpvdz_g
[ ccpvdz_g ]
spherical
****
$fluorine
G   2   1.00
      2.2000000              0.4000000
      0.8000000              0.7000000
****
}"
hf="0 1
F  0.000000  0.000000  0.000000
H  0.245100  0.490200  0.735300
symmetry c1
no_reorient
no_com"
run_psi4 hf_g "$hf" "$g_basis
set puream true" "5, 22"
run_psi4 hf_g_cart "$hf" "$g_basis
set puream false" "5, 31"

# Open Babel: ethanol with charges in PDB, mol2 and SDF.
cat >"$work/ethanol.xyz" <<XYZ
9
ethanol
C  -0.0017  -0.0092   0.0000
C   1.5147   0.0046   0.0000
O   1.9896   1.3446   0.0000
H  -0.3822   1.0140   0.0000
H  -0.3760  -0.5155   0.8898
H  -0.3760  -0.5155  -0.8898
H   1.8813  -0.5062   0.8900
H   1.8813  -0.5062  -0.8900
H   2.9464   1.3116   0.0000
XYZ
for fmt in pdb mol2 sdf; do
  obabel "$work/ethanol.xyz" -O "$out/ethanol.$fmt" 2>/dev/null
done

# NWChem: an SCF optimisation of water (a few steps; "print low" keeps the
# output small), read through Open Babel (its format "nwo").
mkdir -p "$work/nwchem"
cat >"$work/nwchem/h2o.nw" <<NW
start h2o
title "water SCF optimisation"
geometry units angstrom
  O  0.000  0.000  0.120
  H  0.000  0.800 -0.480
  H  0.000 -0.800 -0.480
end
basis
  * library 6-31g*
end
scf
  singlet
  rhf
  print low
end
driver
  maxiter 20
end
task scf optimize
NW
(cd "$work/nwchem" && nwchem h2o.nw >h2o_nwchem.out 2>/dev/null)
cp "$work/nwchem/h2o_nwchem.out" "$out/"
ls -l "$out"
