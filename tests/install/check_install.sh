#!/usr/bin/env bash
# Installs the build twice and checks the trees: once with DESTDIR for the
# default prefix (every file in place, the desktop entry and the metainfo
# valid, plugin.rc pointing at the installed converters), once into another
# prefix, whose programs must find their configuration and converters with
# no environment variable set.
#   check_install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
manifest="$build/install_manifest.txt"
saved=""
if [ -f "$manifest" ]; then saved="$work/manifest.saved"; cp "$manifest" "$saved"; fi
cleanup() {
  if [ -n "$saved" ]; then cp "$saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The default prefix, under DESTDIR.
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr/local >/dev/null
root="$work/dest/usr/local"
for f in bin/mivor bin/mivor-cli lib/mivor/mivor-convert lib/mivor/xyz2mvr lib/mivor/mvr2xyz lib/mivor/cube2mvr \
  lib/mivor/molden2mvr lib/mivor/pdb2mvr lib/mivor/mvr2pdb share/mivor/mivor.rc share/mivor/plugin.rc \
  share/mivor/fragments.rc share/mivor/calculation.rc share/applications/org.mivor.Mivor.desktop \
  share/icons/hicolor/scalable/apps/org.mivor.Mivor.svg share/mime/packages/org.mivor.Mivor.xml \
  share/metainfo/org.mivor.Mivor.metainfo.xml share/man/man1/mivor.1 share/man/man1/mivor-cli.1; do
  [ -e "$root/$f" ] || fail "$f is not installed"
done
grep -q '^libpath=/usr/local/lib/mivor forward=xyz2mvr' "$root/share/mivor/plugin.rc" || fail "plugin.rc libpath"
for f in mivor-calc xtb-opt xtb-freq psi4-orbitals hdf5-scf hdf5-rasscf; do [ -e "$root/lib/mivor/$f" ] || fail "lib/mivor/$f is not installed"; done
grep -q '^plugin=/usr/local/lib/mivor/xtb-opt ' "$root/share/mivor/calculation.rc" || fail "calculation.rc programs"
if grep -q "$build" "$root/share/mivor/calculation.rc"; then fail "calculation.rc points into the build"; fi
if grep -q "$build" "$root/share/mivor/plugin.rc"; then fail "plugin.rc points into the build"; fi
desktop-file-validate "$root/share/applications/org.mivor.Mivor.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/share/metainfo/org.mivor.Mivor.metainfo.xml" >/dev/null || fail "appstreamcli"
xmllint_ok=1
command -v xmllint >/dev/null && { xmllint --noout "$root/share/mime/packages/org.mivor.Mivor.xml" || xmllint_ok=0; }
[ $xmllint_ok = 1 ] || fail "the file types are not well-formed XML"

# Another prefix, used in place: no MIVOR_DIR, a home without .mivor, a
# working directory without configuration.
prefix="$work/opt/mivor"
cmake --install "$build" --prefix "$prefix" >/dev/null
grep -q "^libpath=$prefix/lib/mivor " "$prefix/share/mivor/plugin.rc" || fail "plugin.rc of $prefix"
grep -q "^plugin=$prefix/lib/mivor/psi4-orbitals " "$prefix/share/mivor/calculation.rc" || fail "calculation.rc of $prefix"
mkdir -p "$work/home" "$work/run"
printf '3\nenergy=-76.0\nO 0 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n' >"$work/run/water.xyz"
(cd "$work/run" && env -u MIVOR_DIR HOME="$work/home" "$prefix/bin/mivor-cli" convert water.xyz water_out.pdb) ||
  fail "the installed mivor-cli did not convert with its own configuration"
grep -q '^HETATM.* O ' "$work/run/water_out.pdb" || fail "no PDB written"
[ ! -e "$work/run/atoms.rc" ] || fail "configuration written into the working directory"
echo "install trees are complete and valid"
