#!/bin/bash
# Remakes the palette images of the fragment library (mivorrc/*.png) from
# the fragment files with the program's own drawing code, offscreen with
# software OpenGL. Run from the repository after `make build`.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
cmake --build "$build" --target fragment_images >/dev/null
mapfile -t files < <(awk '{ print "mivorrc/" $1 }' mivorrc/fragments.rc)
LIBGL_ALWAYS_SOFTWARE=1 "$build/tools/fragment_images" mivorrc "${files[@]}"
