#!/usr/bin/env bash
# Remakes the fixtures in tests/data/molcas/ from the inputs there with
# pymolcas: the HDF5 file, the Molden
# file and the orbital file of each run.
#
#   bash scripts/make_molcas_fixtures.sh      (a few seconds per run)
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/tests/data/molcas"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for input in "$out"/*.input; do
  name=$(basename "$input" .input)
  mkdir -p "$work/$name"
  cp "$input" "$work/$name/"
  mkdir -p "$work/$name/tmp"
  (cd "$work/$name" && MOLCAS_WORKDIR="$work/$name/tmp" pymolcas "$name.input" >"$name.log" 2>&1)
  for f in "$work/$name/$name".scf.h5 "$work/$name/$name".scf.molden "$work/$name/$name".ScfOrb \
    "$work/$name/$name".UhfOrb; do
    [ -f "$f" ] && cp "$f" "$out/"
  done
done
# Only the orbital files the tests read are kept.
rm -f "$out/cart.ScfOrb"
echo "remade the fixtures in $out"
