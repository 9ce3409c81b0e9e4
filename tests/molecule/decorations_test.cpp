#include "molecule/decorations.h"

#include <gtest/gtest.h>

#include "molecule/settings.h"
#include "support/recording_notifier.h"

namespace {

class Decorations : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    new_mol(1);
    Input_Data.object_color = {0.1f, 0.2f, 0.3f, 0.4f};
    Input_Data.label_color = {0.5f, 0.6f, 0.7f, 0.8f};
  }
  void TearDown() override { reset_core_state(); }
  RecordingNotifier told;
};

TEST_F(Decorations, NewArrowHasSinglePrecisionDefaultsAndIsOpaque) {
  add_vector(*m, {0, 0, 0}, {1, 0, 0});
  ASSERT_EQ(m->nvector(), 1);
  EXPECT_EQ(m->deco.edit().vector_radius[0], 0.05000000074505806);
  EXPECT_EQ(m->deco.edit().vector_sharpness[0], 0.10000000149011612);
  EXPECT_EQ(m->deco.edit().vector_color[0], (color_t{0.1f, 0.2f, 0.3f, 1.0f}));
  EXPECT_EQ(m->deco.edit().vector_end[0], (vec3{1, 0, 0}));
  EXPECT_EQ(told.object_changes, 1);
}

TEST_F(Decorations, SpheresTakeTheGivenRadiusAndTheDefaultSetterGivesTwo) {
  add_sphere(*m, {1, 2, 3}, 0.7);
  EXPECT_EQ(m->deco.edit().sphere_radius[0], 0.7);
  EXPECT_EQ(m->deco.edit().sphere_color[0], Input_Data.object_color);
  sphere_set_defeault_values(*m, 0);
  EXPECT_EQ(m->deco.edit().sphere_radius[0], 2.0);
}

TEST_F(Decorations, TrianglesPlanesAndCellsKeepTheirCornersInOrder) {
  add_triangle(*m, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  add_surface(*m, {2, 0, 0}, {0, 2, 0}, {0, 0, 2});
  add_cell(*m, {0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {0, 0, 3});
  EXPECT_EQ(m->deco.edit().triangle3[0], (vec3{0, 0, 1}));
  EXPECT_EQ(m->deco.edit().surf2[0], (vec3{0, 2, 0}));
  EXPECT_EQ(m->deco.edit().cell1[0], (vec3{0, 0, 0}));
  EXPECT_EQ(m->deco.edit().cell4[0], (vec3{0, 0, 3}));
  for (const color_t& c :
       {m->deco.edit().triangle_color[0], m->deco.edit().surf_color[0], m->deco.edit().cell_color[0]})
    EXPECT_EQ(c, Input_Data.object_color);
  EXPECT_EQ(told.object_changes, 3);
}

TEST_F(Decorations, DefaultSettersIgnoreIndicesOutsideTheirGroup) {
  add_triangle(*m, {}, {}, {});
  m->deco.edit().triangle_color[0] = {};
  triangle_set_defeault_values(*m, 1);
  triangle_set_defeault_values(*m, -1);
  vector_set_default_values(*m, 0);
  sphere_set_defeault_values(*m, 0);
  surface_set_default_values(*m, 0);
  cell_set_default_values(*m, 0);
  textbox_set_dfault_values(*m, 0);
  EXPECT_EQ(m->deco.edit().triangle_color[0], color_t{});
}

TEST_F(Decorations, NewTextBoxTakesTheLabelColourAndStartsAtTwoPixels) {
  allocate_textbox(*m);
  textbox_set_dfault_values(*m, 0);
  const textbox_t& box = m->deco.edit().textbox[0];
  EXPECT_EQ(box.x, 2);
  EXPECT_EQ(box.y, 0);
  EXPECT_FALSE(box.text);
  EXPECT_FALSE(box.font);
  EXPECT_EQ(box.color.red, 0.5f);
  EXPECT_EQ(box.color.green, 0.6f);
  EXPECT_EQ(box.color.blue, 0.7f);
}

TEST_F(Decorations, DeletingATextBoxClosesTheGap) {
  for (const char* t : {"zero", "one", "two"}) {
    allocate_textbox(*m);
    m->deco.edit().textbox.back().text = t;
  }
  delete_ith_textbox(*m, 5);
  delete_ith_textbox(*m, -1);
  EXPECT_EQ(m->ntextbox(), 3);
  delete_ith_textbox(*m, 0);
  ASSERT_EQ(m->ntextbox(), 2);
  EXPECT_EQ(m->deco.edit().textbox[0].text, "one");
  EXPECT_EQ(m->deco.edit().textbox[1].text, "two");
  delete_last_textbox(*m);
  ASSERT_EQ(m->ntextbox(), 1);
  EXPECT_EQ(m->deco.edit().textbox[0].text, "one");
  delete_last_textbox(*m);
  delete_last_textbox(*m);
  EXPECT_EQ(m->ntextbox(), 0);
}

TEST_F(Decorations, TypingGrowsAndShrinksTheLastTextBox) {
  textbox_delete_insert_char(*m, 'x');  // no box: nothing to type into
  allocate_textbox(*m);
  allocate_textbox(*m);
  textbox_delete_insert_char(*m, 'H');
  textbox_delete_insert_char(*m, '2');
  EXPECT_EQ(m->deco.edit().textbox[1].text, "H2");
  EXPECT_FALSE(m->deco.edit().textbox[0].text);
  textbox_delete_last_char(*m);
  textbox_delete_last_char(*m);
  textbox_delete_last_char(*m);
  EXPECT_EQ(m->deco.edit().textbox[1].text, "");
}

TEST_F(Decorations, ChoosingATextBoxToMoveNeedsAnExistingBox) {
  allocate_textbox(*m);
  textbox_state = 3;
  mivor_set_textbox_number(0);
  EXPECT_EQ(textbox_number, 0);
  EXPECT_EQ(textbox_state, 3);
  mivor_set_textbox_number(1);
  EXPECT_EQ(textbox_state, 0);
}

TEST_F(Decorations, SelectedDecorationIsRecordedAndCleared) {
  set_go_selected(GO_CELL, 2);
  EXPECT_EQ(go_selected.kind, GO_CELL);
  EXPECT_EQ(go_selected.index, 2);
  unset_go_selected();
  EXPECT_EQ(go_selected.kind, GO_NONE);
}

}  // namespace
