#!/usr/bin/env bash
# mivor-cli render of the orbital example as a 4000x4000 PNG, without a
# display: wall time and peak memory of the whole process (GNU time), and
# the same for mivor-cli info on the same file, the cost of opening it.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/mivor-cli
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
measure() {
  /usr/bin/time -f "%e %M" -o "$out/time" env -u DISPLAY MIVOR_DIR=mivorrc "$@" >/dev/null
  read -r seconds kb <"$out/time"
  echo "$seconds $kb"
}
for i in 1 2 3; do
  read -r render_s render_kb < <(measure "$cli" render examples/formaldehyde_orbitals.mvr --out "$out/big.png" --size 4000x4000)
  read -r open_s open_kb < <(measure "$cli" info examples/formaldehyde_orbitals.mvr)
  echo "render 4000x4000 png: ${render_s} s, peak ${render_kb} kB; opening alone: ${open_s} s, ${open_kb} kB;" \
       "file $(stat -c %s "$out/big.png") bytes"
done
