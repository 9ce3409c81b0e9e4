#!/usr/bin/env bash
# Remakes the fixtures in tests/data/orbital_files/ from the inputs there with
# the program that MIVOR_RASSCF_PROGRAM names (the command that runs its
# input files): the HDF5 file, the Molden file and the orbital file of each
# run. The HDF5 files are copied through scripts/neutral_hdf5_names.cpp, so
# that their attributes name no program.
#
#   MIVOR_RASSCF_PROGRAM=COMMAND bash scripts/make_orbital_file_fixtures.sh
#   (a few seconds per run)
set -euo pipefail
program="${MIVOR_RASSCF_PROGRAM:?set MIVOR_RASSCF_PROGRAM to the command that runs the inputs}"
out="$(cd "$(dirname "$0")/.." && pwd)/tests/data/orbital_files"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$(cd "$(dirname "$0")/.." && pwd)"
g++ -std=c++17 -I/usr/include/hdf5/serial "$root/scripts/neutral_hdf5_names.cpp" \
  -L/usr/lib/x86_64-linux-gnu/hdf5/serial -lhdf5 -o "$work/neutral_hdf5_names"
for input in "$out"/*.input; do
  name=$(basename "$input" .input)
  mkdir -p "$work/$name"
  cp "$input" "$work/$name/"
  mkdir -p "$work/$name/tmp"
  (cd "$work/$name" && WorkDir="$work/$name/tmp" "$program" "$name.input" >"$name.log" 2>&1)
  rm -f "$out/$name.scf.h5"
  "$work/neutral_hdf5_names" "$work/$name/$name.scf.h5" "$out/$name.scf.h5"
  for f in "$work/$name/$name".scf.molden "$work/$name/$name".ScfOrb "$work/$name/$name".UhfOrb; do
    [ -f "$f" ] && cp "$f" "$out/"
  done
done
# Only the orbital files the tests read are kept.
rm -f "$out/cart.ScfOrb"
echo "remade the fixtures in $out"
