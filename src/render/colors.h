// The colours the scene draws with: greys in grayscale mode.
#pragma once

#include "molecule/types.h"

// 0.299·r + 0.587·g + 0.114·b.
float grayscale(float r, float g, float b);
// The colour the scene uses for `c`: its grey in grayscale mode.
color_t scene_color(const color_t& c);
