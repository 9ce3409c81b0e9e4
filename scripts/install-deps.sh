#!/usr/bin/env bash
# Installs the Debian packages Mivor needs to build, test and run.
# Only packages that are missing are installed; a machine that has them all
# is left untouched and no package list is fetched.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtk2.0-dev libgtkglext1-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libpango1.0-dev libcairo2-dev libgdk-pixbuf-2.0-dev libglib2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libfast-float-dev
  zlib1g-dev libbz2-dev liblzma-dev
  libopenbabel-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick libxtst-dev
  libegl-dev libegl-mesa0 povray ghostscript
  libopenbabel-dev libopenblas-dev desktop-file-utils appstream
  xtb psi4
  libhdf5-dev
)
# Peers and fixture makers (benchmarks, scripts/make_converter_fixtures.sh):
# installed with `scripts/install-deps.sh --peers`.
if [ "${1:-}" = "--peers" ]; then
  packages+=(openbabel pymol nwchem)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
