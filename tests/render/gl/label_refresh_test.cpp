#include "render/gl/label_refresh.h"

#include <gtest/gtest.h>

#include "edit/atom_edit.h"
#include "edit/atom_order.h"
#include "molecule/elements.h"
#include "molecule/settings.h"
#include "render/gl/label_images.h"
#include "support/recording_notifier.h"

namespace {

bool same(const stxt_t& a, const stxt_t& b) {
  return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

TEST(LabelRefresh, EditsReuseTheImagesOfTextsShownBefore) {
  reset_core_state();
  new_mol(1);
  for (int i = 0; i < 12; ++i) append_atom(*m, i % 3 ? "C" : "O", {double(i), 0, 0});
  // Labels never made: all of them are made now.
  refresh_atom_labels();
  ASSERT_EQ(m->atom_labels.size(), 12u);
  const stxt_t first_index = m->atom_labels[0][LABEL_INDEX], oxygen = m->atom_labels[0][LABEL_SYMBOL];
  const stxt_t carbon = m->atom_labels[1][LABEL_SYMBOL];

  // Renumbered with atoms 4 and 11 first, then an oxygen turned carbon and
  // a new atom: only the thirteenth index is a text not shown before.
  refresh_atom_labels();
  m->marked = {4, 11};
  renumber_atoms_marked_first(*m);
  set_atom_symbol(*m, 2, "C");
  append_atom(*m, "O", {0, 5, 0});
  reset_label_image_renders();
  refresh_atom_labels();
  EXPECT_EQ(label_image_renders(), 1);
  EXPECT_TRUE(same(m->atom_labels[0][LABEL_INDEX], first_index));
  EXPECT_TRUE(same(m->atom_labels[1][LABEL_SYMBOL], carbon));  // old atom 11
  EXPECT_TRUE(same(m->atom_labels[2][LABEL_SYMBOL], carbon));
  EXPECT_TRUE(same(m->atom_labels[12][LABEL_SYMBOL], oxygen));
  EXPECT_TRUE(same(m->atom_labels[12][LABEL_INDEX], make_text_image("13", Input_Data.label_font)));

  // Another font: everything is made again in it.
  Input_Data.label_font = "Sans 20";
  reset_label_image_renders();
  refresh_atom_labels();
  EXPECT_EQ(label_image_renders(), 13 + 2);
  reset_core_state();
}

}  // namespace
