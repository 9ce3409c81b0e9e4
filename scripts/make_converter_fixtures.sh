#!/usr/bin/env bash
# Remakes the fixtures of the converter tests in tests/data/convert/ with
# the real programs (Debian's psi4 and openbabel): Molden files of
# formaldehyde with spherical and with Cartesian d functions, of the NH2
# radical and triplet O2 (UHF) and of hydrogen fluoride with g functions (spherical and
# Cartesian), the cube files psi4 writes for some of their orbitals and for
# the density, PDB, mol2 and SDF files written by Open Babel, and the output
# of an NWChem optimisation of water. Then wavefunctions written by psi4 both
# as Molden and as formatted checkpoint files, and the Molden files
# rewritten as other programs write them (scripts/molden_writers.py).
#
#   scripts/install-deps.sh --peers               (psi4, openbabel, nwchem)
#   bash scripts/make_converter_fixtures.sh      (a few minutes)
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
# Wavefunctions in a small basis with d, f and g shells on oxygen (water
# tilted against the axes, no symmetry): spherical and Cartesian, each as
# psi4 writes it in Molden and in formatted checkpoint form; the OH radical
# (UHF, d shells only); water with a ghost hydrogen (its basis, no nucleus);
# hydrogen iodide with the effective core potential of def2-SVP (psi4
# writes iodine's charge, 25, in the Molden atom line). Their Molden files
# are then rewritten as ORCA, psi4 before 1.0, Turbomole, CFOUR and Molpro
# write them, and the spherical checkpoint file with its s and p shells of
# equal exponents as SP shells, as Gaussian writes them.
wavefunction_basis() {
  local kind=$1 high=$2
  cat <<BASIS
[ mini ]
$kind
****
H 0
S 3 1.00
      3.42525091 0.15432897
      0.62391373 0.53532814
      0.16885540 0.44463454
****
O 0
S 3 1.00
    130.7093200 0.15432897
     23.8088610 0.53532814
      6.4436083 0.44463454
SP 3 1.00
      5.0331513 -0.09996723 0.15591627
      1.1695961 0.39951283 0.60768372
      0.3803890 0.70011547 0.39195739
D 2 1.00
      1.8000000 0.4000000
      0.6000000 0.7000000
$high
****
BASIS
}
fg_shells="F 1 1.00
      1.1000000 1.0000000
G 1 1.00
      0.9000000 1.0000000"
# $1 name, $2 geometry, $3 basis block (or "set basis NAME"), $4 options.
run_wavefunction() {
  local name=$1 geometry=$2 basis=$3 options=${4:-}
  mkdir -p "$work/$name"
  cat >"$work/$name/input.dat" <<INPUT
memory 300 mb
molecule {
$geometry
symmetry c1
no_reorient
no_com
}
$basis
set scf_type pk
set e_convergence 10
set d_convergence 10
$options
E, wfn = energy('scf', return_wfn=True)
molden(wfn, '$name.molden')
fchk(wfn, '$name.fchk')
INPUT
  (cd "$work/$name" && psi4 -n 1 input.dat -o output.dat)
}
water="0 1
O   0.0000  0.0000  0.1173
H   0.2110  0.7572 -0.4692
H  -0.1550 -0.7572 -0.4692"
run_wavefunction h2o_sph "$water" "basis {
assign mini
$(wavefunction_basis spherical "$fg_shells")
}"
run_wavefunction h2o_cart "$water" "basis {
assign mini
$(wavefunction_basis cartesian "$fg_shells")
}"
run_wavefunction oh_uhf "0 2
O  0.00  0.00  0.00
H  0.31  0.45  0.79" "basis {
assign mini
$(wavefunction_basis spherical "")
}" "set reference uhf"
run_wavefunction h2o_ghost "$water
Gh(H)  1.2  1.5  1.0" "basis {
assign mini
$(wavefunction_basis spherical "")
}"
run_wavefunction hi_ecp "0 1
I  0.000  0.000  0.000
H  0.000  0.000  1.610" "set basis def2-svp"
for f in h2o_sph h2o_cart oh_uhf; do cp "$work/$f/$f.molden" "$work/$f/$f.fchk" "$out/"; done
cp "$work/h2o_ghost/h2o_ghost.molden" "$work/hi_ecp/hi_ecp.molden" "$out/"
scripts="$(cd "$(dirname "$0")" && pwd)"
writers="$scripts/molden_writers.py"
python3 "$writers" orca "$out/h2o_sph.molden" "$out/h2o_orca.molden"
python3 "$writers" psi4_0 "$out/h2o_sph.molden" "$out/h2o_psi4_0.molden"
python3 "$writers" turbomole "$out/h2o_cart.molden" "$out/h2o_turbomole.molden"
python3 "$writers" cfour "$out/h2o_cart.molden" "$out/h2o_cfour.molden"
python3 "$writers" molpro "$out/oh_uhf.molden" "$out/oh_molpro.molden"
python3 "$scripts/fchk_sp_shells.py" "$out/h2o_sph.fchk" "$out/h2o_sp.fchk"
ls -l "$out"
