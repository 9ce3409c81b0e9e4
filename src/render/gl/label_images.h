// Label images: atom labels and text boxes rendered once with Pango and cairo
// into coverage bytes (bottom row first), ready to be blitted every frame.
#pragma once

#include <string>

#include "molecule/types.h"

// Point size used for a font description without a usable size, and the
// largest size rendered (larger sizes are reduced to it).
constexpr int label_fallback_font_size = 10;
constexpr int label_max_font_size = 512;
// Largest scratch image side in pixels; a text reaching past it is cut off.
constexpr int label_max_scratch_side = 4096;

// The size in points (or pixels for an absolute size) that `font` renders
// at, after the fallback and the limit above.
int label_font_size(const std::string& font);

struct scratch_size_t {
  int width, height;
  bool cut;  // a side was reduced to the largest one
};
// Scratch image for `text` at size s: width L + (L mod 32) with
// L = bytes × s × 2, height lines × 4 × s, each limited to the largest side.
scratch_size_t label_scratch_size(const std::string& text, int size);

// One image of `text` in the Pango font description `font`.
stxt_t make_text_image(const std::string& text, const std::string& font);

// Remakes the label images of the current geometry: indices and symbols
// always; numbers, names and charges only when the geometry has them (the
// images of absent kinds are emptied). Sizes `atom_labels` to the atoms.
void draw_all_pixdata();
// One kind for every atom of the current geometry.
void draw_pixdata_indices();
void draw_pixdata_symbols();
void draw_pixdata_atomnums();
void draw_pixdata_atomnames();
void draw_pixdata_mulliken();
void draw_pixdata_loprop();
// Remakes the image of text box i from its own font and text; a box without
// text gets an empty image. An index out of range does nothing.
void draw_pixdata_textbox(int i);
// Remakes the images of every text box of the current geometry (boxes read
// from a file arrive without one).
void draw_all_textbox_pixdata();

// Number of images rendered since start (or the last reset): a frame must
// never change it.
long label_image_renders();
void reset_label_image_renders();
