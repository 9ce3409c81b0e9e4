// Each image is drawn in opaque white on a transparent ARGB scratch surface
// whose size is estimated from the text length and the font size; the red
// channel of the (premultiplied) result is the coverage, copied row by row
// upside down so that the first row of the image is its bottom row, as
// glDrawPixels expects.
#include "render/gl/label_images.h"

#include <glib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#include "molecule/mol_data.h"
#include "molecule/settings.h"

namespace {

struct label_images_state_t {
  long renders = 0;
};
label_images_state_t state;

using font_ptr = std::unique_ptr<PangoFontDescription, decltype(&pango_font_description_free)>;
using surface_ptr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using cairo_ptr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using layout_ptr = std::unique_ptr<PangoLayout, decltype(&g_object_unref)>;
using gchar_ptr = std::unique_ptr<gchar, decltype(&g_free)>;

// A parsed font description and the size s the scratch image is made for.
struct parsed_font_t {
  font_ptr desc;
  int size;
};

// Both point sizes and absolute sizes are held in Pango units (1024 per
// point or pixel). A missing or tiny size takes the fallback and a huge one
// the limit; the description is changed to match so that the layout and the
// scratch image agree.
parsed_font_t parse_font(const std::string& font) {
  font_ptr desc(pango_font_description_from_string(font.c_str()), pango_font_description_free);
  const int given = pango_font_description_get_size(desc.get()) / PANGO_SCALE;
  const int size = given < 1 ? label_fallback_font_size : std::min(given, label_max_font_size);
  if (size != given) {
    if (pango_font_description_get_size_is_absolute(desc.get()))
      pango_font_description_set_absolute_size(desc.get(), static_cast<double>(size) * PANGO_SCALE);
    else
      pango_font_description_set_size(desc.get(), size * PANGO_SCALE);
  }
  return {std::move(desc), size};
}

int line_count(const std::string& text) { return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// The red channel of the ARGB pixel at `p`, whatever the byte order.
unsigned char red_of(const unsigned char* p) {
  uint32_t argb;
  std::memcpy(&argb, p, sizeof argb);
  return static_cast<unsigned char>((argb >> 16) & 0xff);
}

// Copies the red channel of the scratch into the image, flipped vertically.
void copy_coverage(stxt_t& image, const unsigned char* data, int stride, scratch_size_t scratch) {
  for (int i = 0; i < image.height; ++i) {
    const int row = image.height - 1 - i;
    for (int j = 0; j < image.width; ++j) {
      const size_t dst = static_cast<size_t>(i) * static_cast<size_t>(image.width) + static_cast<size_t>(j);
      if (dst >= image.pixels.size()) {
        std::puts("ERROR0 pixdata: index out of bounds!");
        continue;
      }
      if (!data || j >= scratch.width || row >= scratch.height) {
        std::puts("ERROR1 pixdata: index out of bounds!");
        continue;
      }
      image.pixels[dst] = red_of(data + static_cast<size_t>(row) * static_cast<size_t>(stride) + 4 * j);
    }
  }
}

stxt_t render_image(const std::string& text, const parsed_font_t& font) {
  ++state.renders;
  const scratch_size_t scratch = label_scratch_size(text, font.size);
  surface_ptr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, scratch.width, scratch.height),
                      cairo_surface_destroy);
  cairo_ptr cr(cairo_create(surface.get()), cairo_destroy);
  layout_ptr layout(pango_cairo_create_layout(cr.get()), g_object_unref);
  // Pango wants valid UTF-8; names read from files may be in another encoding.
  gchar_ptr valid(g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size())), g_free);
  pango_layout_set_text(layout.get(), valid.get(), -1);
  pango_layout_set_font_description(layout.get(), font.desc.get());

  int pango_width = 0, pango_height = 0;
  pango_layout_get_size(layout.get(), &pango_width, &pango_height);
  const int wp = pango_width / PANGO_SCALE, hp = pango_height / PANGO_SCALE;
  stxt_t image;
  image.width = wp + wp % 8;
  image.height = hp;
  if (scratch.cut) {
    image.width = std::min(image.width, scratch.width);
    image.height = std::min(image.height, scratch.height);
  }
  image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), 0);

  cairo_set_source_rgba(cr.get(), 0, 0, 0, 0);
  cairo_paint(cr.get());
  cairo_set_source_rgba(cr.get(), 1, 1, 1, 1);
  cairo_move_to(cr.get(), 0, 0);
  pango_cairo_show_layout(cr.get(), layout.get());
  cairo_surface_flush(surface.get());

  const bool usable = cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS;
  copy_coverage(image, usable ? cairo_image_surface_get_data(surface.get()) : nullptr,
                cairo_image_surface_get_stride(surface.get()), scratch);
  return image;
}

std::string format_int(int value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d", value);
  return buf;
}

std::string format_charge(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%5.2f", value);
  return buf;
}

// One label storage slot of six images per atom of the current geometry.
void ensure_label_storage() { m->atom_labels.resize(static_cast<size_t>(m->natom())); }

// Remakes one kind for every atom; an atom whose text is absent gets an
// empty image. The font is parsed once for the whole kind.
void draw_pixdata_kind(int kind, const std::function<std::optional<std::string>(size_t)>& text_of) {
  if (!m) return;
  ensure_label_storage();
  if (m->natom() == 0) return;
  const parsed_font_t font = parse_font(Input_Data.label_font);
  for (size_t i = 0; i < m->atom_labels.size(); ++i) {
    const std::optional<std::string> text = text_of(i);
    m->atom_labels[i][static_cast<size_t>(kind)] = text ? render_image(*text, font) : stxt_t{};
  }
}

void clear_kind(int kind) {
  for (auto& labels : m->atom_labels) labels[static_cast<size_t>(kind)] = stxt_t{};
}

}  // namespace

int label_font_size(const std::string& font) { return parse_font(font).size; }

scratch_size_t label_scratch_size(const std::string& text, int size) {
  const int64_t length = static_cast<int64_t>(text.size()) * size * 2;
  const int64_t width = length + length % 32;
  const int64_t height = static_cast<int64_t>(line_count(text)) * 4 * size;
  const int64_t limit = label_max_scratch_side;
  return {static_cast<int>(std::min(width, limit)), static_cast<int>(std::min(height, limit)),
          width > limit || height > limit};
}

stxt_t make_text_image(const std::string& text, const std::string& font) {
  return render_image(text, parse_font(font));
}

void draw_all_pixdata() {
  if (!m) return;
  ensure_label_storage();
  if (m->natom() == 0) return;
  draw_pixdata_indices();
  draw_pixdata_symbols();
  struct optional_kind_t {
    int flag, kind;
    void (*draw)();
  };
  const optional_kind_t optional_kinds[] = {
      {FLAG_ATOM_NUMBERS, LABEL_NUMBER, draw_pixdata_atomnums},
      {FLAG_ATOM_NAMES, LABEL_NAME, draw_pixdata_atomnames},
      {FLAG_MULLIKEN, LABEL_MULLIKEN, draw_pixdata_mulliken},
      {FLAG_LOPROP, LABEL_LOPROP, draw_pixdata_loprop},
  };
  for (const optional_kind_t& k : optional_kinds) {
    if (m->flags & k.flag)
      k.draw();
    else
      clear_kind(k.kind);
  }
}

void draw_pixdata_indices() {
  draw_pixdata_kind(LABEL_INDEX, [](size_t i) { return format_int(static_cast<int>(i) + 1); });
}

void draw_pixdata_symbols() {
  draw_pixdata_kind(LABEL_SYMBOL, [](size_t i) { return atom_element(*m, static_cast<int>(i)).name; });
}

void draw_pixdata_atomnums() {
  draw_pixdata_kind(LABEL_NUMBER, [](size_t i) { return format_int(atom_number(*m, static_cast<int>(i))); });
}

void draw_pixdata_atomnames() {
  draw_pixdata_kind(LABEL_NAME, [](size_t i) { return atom_name(*m, static_cast<int>(i)); });
}

void draw_pixdata_mulliken() {
  draw_pixdata_kind(LABEL_MULLIKEN, [](size_t i) { return format_charge(atom_mulliken(*m, static_cast<int>(i))); });
}

void draw_pixdata_loprop() {
  draw_pixdata_kind(LABEL_LOPROP, [](size_t i) { return format_charge(atom_loprop(*m, static_cast<int>(i))); });
}

void draw_pixdata_textbox(int i) {
  if (!m || i < 0 || i >= m->ntextbox()) return;
  textbox_t& box = m->deco.edit().textbox[static_cast<size_t>(i)];
  if (!box.text) {
    box.image = stxt_t{};
    return;
  }
  box.image = render_image(*box.text, parse_font(box.font ? *box.font : Input_Data.label_font));
}

void draw_all_textbox_pixdata() {
  if (!m) return;
  for (int i = 0; i < m->ntextbox(); ++i) draw_pixdata_textbox(i);
}

long label_image_renders() { return state.renders; }

void reset_label_image_renders() { state.renders = 0; }
