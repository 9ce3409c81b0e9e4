#include "render/gl/label_images.h"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/label_visibility.h"
#include "render/view.h"
#include "support/recording_notifier.h"

namespace {

// Logical pixel size of `text` laid out directly with Pango, truncated.
std::pair<int, int> pango_pixel_size(const std::string& text, const std::string& font) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* desc = pango_font_description_from_string(font.c_str());
  pango_layout_set_text(layout, text.c_str(), -1);
  pango_layout_set_font_description(layout, desc);
  int w = 0, h = 0;
  pango_layout_get_size(layout, &w, &h);
  pango_font_description_free(desc);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return {w / PANGO_SCALE, h / PANGO_SCALE};
}

// Coverage-weighted mean row (row 0 is the bottom row).
double ink_row(const stxt_t& image) {
  double sum = 0, weight = 0;
  for (int i = 0; i < image.height; ++i)
    for (int j = 0; j < image.width; ++j) {
      const double c = image.pixels[static_cast<size_t>(i * image.width + j)];
      sum += c * i;
      weight += c;
    }
  return weight > 0 ? sum / weight : -1;
}

TEST(LabelImage, WidthIsRoundedUpByItsRemainderAndTheExtraColumnsAreClear) {
  for (const char* text : {"1", "C", "Hello", "-0.25", "Mivor 12"}) {
    SCOPED_TRACE(text);
    const auto [wp, hp] = pango_pixel_size(text, "Sans 18");
    testing::internal::CaptureStdout();
    const stxt_t image = make_text_image(text, "Sans 18");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(image.width, wp + wp % 8);
    ASSERT_EQ(image.height, hp);
    ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width * image.height));
    int ink = 0;
    for (int i = 0; i < image.height; ++i)
      for (int j = 0; j < image.width; ++j) {
        const unsigned char c = image.pixels[static_cast<size_t>(i * image.width + j)];
        if (j >= wp) {
          EXPECT_EQ(c, 0) << "column " << j;
        }
        ink += c > 0;
      }
    EXPECT_GT(ink, 0);
  }
}

TEST(LabelImage, IsStoredBottomRowFirst) {
  const stxt_t low = make_text_image("_", "Sans 18");
  const stxt_t high = make_text_image("'", "Sans 18");
  ASSERT_EQ(low.height, high.height);
  EXPECT_LT(ink_row(low), low.height / 3.0);
  EXPECT_GT(ink_row(high), high.height * 2 / 3.0);
}

TEST(LabelImage, FontSizeInPointsOrPixelsWithFallbackAndLimit) {
  EXPECT_EQ(label_font_size("Helvetica 18"), 18);
  EXPECT_EQ(label_font_size("Sans 18px"), 18);
  EXPECT_EQ(label_font_size("Sans"), label_fallback_font_size);
  EXPECT_EQ(label_font_size("Sans 100000"), label_max_font_size);
}

TEST(LabelImage, ScratchGrowsWithBytesAndLines) {
  // L = 5 bytes × 18 × 2 = 180, 180 mod 32 = 20; two lines of 4 × 18.
  const scratch_size_t two_lines = label_scratch_size("ab\ncd", 18);
  EXPECT_EQ(two_lines.width, 200);
  EXPECT_EQ(two_lines.height, 8 * 18);
  EXPECT_FALSE(two_lines.cut);
  const scratch_size_t huge = label_scratch_size(std::string(200, 'x'), 512);
  EXPECT_EQ(huge.width, label_max_scratch_side);
  EXPECT_TRUE(huge.cut);

  testing::internal::CaptureStdout();
  const stxt_t one = make_text_image("ab", "Sans 18");
  const stxt_t two = make_text_image("ab\ncd", "Sans 18");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_GT(two.height, one.height);
  EXPECT_LE(two.height, 8 * 18);
}

TEST(LabelImage, PixelsPastTheScratchAreReportedAndLeftClear) {
  // A tab is one byte but eight spaces wide: the scratch is 36 + 4 = 40 wide.
  testing::internal::CaptureStdout();
  const stxt_t tab = make_text_image("\t", "Sans 18");
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_GT(tab.width, 40);
  const std::string line = "ERROR1 pixdata: index out of bounds!\n";
  size_t count = 0;
  for (size_t at = out.find(line); at != std::string::npos; at = out.find(line, at + 1)) ++count;
  EXPECT_EQ(count, static_cast<size_t>((tab.width - 40) * tab.height));
  EXPECT_EQ(out.size(), count * line.size());
}

TEST(LabelImage, OddSizesAndTextsRenderWithoutFaults) {
  testing::internal::CaptureStdout();
  const stxt_t empty = make_text_image("", "Sans 18");
  EXPECT_EQ(empty.width, 0);
  EXPECT_TRUE(empty.pixels.empty());
  const stxt_t no_size = make_text_image("C", "Sans");
  EXPECT_GT(no_size.width, 0);
  const stxt_t latin1 = make_text_image("Fe\xe9", "Sans 12");
  EXPECT_GT(latin1.width, 0);
  const stxt_t wide = make_text_image(std::string(40, 'W'), "Sans 300");
  EXPECT_LE(wide.width, label_max_scratch_side);
  EXPECT_EQ(wide.pixels.size(), static_cast<size_t>(wide.width * wide.height));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

class AtomLabels : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    Input_Data.label_font = "Sans 12";
    new_mol(1);
    allocate_atoms(*m, 2);
    set_atom_symbol(*m, 0, "C");
    set_atom_symbol(*m, 1, "O");
    set_atom_mulliken(*m, 0, 0.5);
    set_atom_mulliken(*m, 1, -0.25);
    set_atom_loprop(*m, 0, 0.1);
    set_atom_loprop(*m, 1, -0.1);
    set_atom_number(*m, 0, 7);
    set_atom_number(*m, 1, 8);
    set_atom_name(*m, 0, "CA");
    m->flags = 0;  // the data are there; each test says which the geometry shows
    reset_label_image_renders();
  }
  void TearDown() override { reset_core_state(); }
  static bool has(int atom, int kind) { return !m->atom_labels[atom][kind].pixels.empty(); }
  static const std::vector<unsigned char>& pixels(int atom, int kind) { return m->atom_labels[atom][kind].pixels; }
  RecordingNotifier told;
};

TEST_F(AtomLabels, OptionalKindsAreMadeOnlyWhenTheGeometryHasThem) {
  draw_all_pixdata();
  ASSERT_EQ(m->atom_labels.size(), 2u);
  EXPECT_EQ(label_image_renders(), 4);
  for (int atom : {0, 1}) {
    EXPECT_TRUE(has(atom, LABEL_INDEX) && has(atom, LABEL_SYMBOL));
    for (int kind : {LABEL_NUMBER, LABEL_NAME, LABEL_MULLIKEN, LABEL_LOPROP}) EXPECT_FALSE(has(atom, kind));
  }
  EXPECT_EQ(pixels(0, LABEL_INDEX), make_text_image("1", "Sans 12").pixels);
  EXPECT_EQ(pixels(1, LABEL_SYMBOL), make_text_image("O", "Sans 12").pixels);

  m->flags = FLAG_ATOM_NAMES | FLAG_MULLIKEN;
  reset_label_image_renders();
  draw_all_pixdata();
  EXPECT_EQ(label_image_renders(), 7);  // atom 2 has no name
  EXPECT_TRUE(has(0, LABEL_NAME));
  EXPECT_FALSE(has(1, LABEL_NAME));
  EXPECT_EQ(pixels(0, LABEL_MULLIKEN), make_text_image(" 0.50", "Sans 12").pixels);
  EXPECT_EQ(pixels(1, LABEL_MULLIKEN), make_text_image("-0.25", "Sans 12").pixels);
  EXPECT_FALSE(has(0, LABEL_NUMBER) || has(0, LABEL_LOPROP));

  m->flags = FLAG_ATOM_NUMBERS | FLAG_LOPROP;
  draw_all_pixdata();
  EXPECT_EQ(pixels(1, LABEL_NUMBER), make_text_image("8", "Sans 12").pixels);
  EXPECT_EQ(pixels(0, LABEL_LOPROP), make_text_image(" 0.10", "Sans 12").pixels);
  EXPECT_FALSE(has(0, LABEL_NAME) || has(0, LABEL_MULLIKEN));
}

// The image of a text box follows its own font (the label font when it has
// none) and its text; a box without text has none.
TEST_F(AtomLabels, TextBoxImageIsMadeFromTheBoxsFontAndText) {
  allocate_textbox(*m);
  allocate_textbox(*m);
  textbox_t& box = m->deco.edit().textbox[0];
  box.text = "Hi";
  box.font = "Sans 14";
  m->deco.edit().textbox[1].text = "Ho";
  draw_all_textbox_pixdata();
  EXPECT_EQ(label_image_renders(), 2);
  EXPECT_EQ(box.image.pixels, make_text_image("Hi", "Sans 14").pixels);
  EXPECT_EQ(m->deco->textbox[1].image.pixels, make_text_image("Ho", "Sans 12").pixels);

  reset_label_image_renders();
  box.text.reset();
  draw_pixdata_textbox(0);
  EXPECT_TRUE(box.image.pixels.empty());
  for (int outside : {-1, 2}) draw_pixdata_textbox(outside);
  EXPECT_EQ(label_image_renders(), 0);
}

// A 200 × 200 target on a 20 × 20 field: 10 pixels per unit.
class LabelVisibility : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_view_state();
    view.half_width = view.half_height = 10;
    view.view_scale = 1;
  }
  void TearDown() override { reset_view_state(); }
  static std::vector<bool> visible(const std::vector<vec3>& window) {
    return visible_labels(label_anchors(window, 200, 200));
  }
};

TEST_F(LabelVisibility, AtomCoveredByANearerOneHasNoLabel) {
  // Atom 1 is 0.4 from atom 0 and nearer; atom 2 is 0.7 away and nearer still.
  EXPECT_EQ(visible({{100, 100, 0.5}, {104, 96, 0.3}, {100, 107, 0.1}}), (std::vector<bool>{false, true, true}));
  // Equal depth hides neither; a larger scale shrinks the reach.
  EXPECT_EQ(visible({{100, 100, 0.5}, {104, 100, 0.5}}), (std::vector<bool>{true, true}));
  view.view_scale = 2;
  EXPECT_EQ(visible({{100, 100, 0.5}, {104, 100, 0.3}}), (std::vector<bool>{true, true}));
}

TEST_F(LabelVisibility, AtomOutsideTheFieldHasNoLabelButStillCovers) {
  view.camera_x = 2;
  // X + camera_x: 9.5 inside, 10.5 outside; the outside atom covers one at 10.0.
  EXPECT_EQ(visible({{195, 100, 0.5}, {205, 100, 0.5}}), (std::vector<bool>{true, false}));
  EXPECT_EQ(visible({{200, 100, 0.5}, {203, 100, 0.1}}), (std::vector<bool>{false, false}));
  EXPECT_EQ(visible({{100, 201, 0.5}}), (std::vector<bool>{false}));
  // Y + camera_y = (0.5 - 10 + 3) - 3 = -9.5: inside.
  view.camera_y = -3;
  EXPECT_EQ(visible({{100, 5, 0.5}}), (std::vector<bool>{true}));
}

}  // namespace
