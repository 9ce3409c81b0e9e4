#include "render/colors.h"

#include "molecule/settings.h"

float grayscale(float r, float g, float b) { return static_cast<float>(0.299 * r + 0.587 * g + 0.114 * b); }

color_t scene_color(const color_t& c) {
  if (!Input_Data.grayscale) return c;
  const float g = grayscale(c.red, c.green, c.blue);
  return {g, g, g, c.alpha};
}
