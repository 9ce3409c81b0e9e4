#include "edit/object_edit.h"

#include "edit/edit_fixture.h"
#include "molecule/decorations.h"

namespace {

using ObjectEdit = EditTest;

TEST_F(ObjectEdit, SpheresAndArrowsFromSelectedAtomsAreListedAndEditedByTheirFields) {
  atoms({{"C", {0, 0, 0}}, {"O", {0, 0, 1.5}}});
  select({0});
  add_sphere_selected();
  select({0, 1});
  add_sphere_selected();
  add_vector_selected();
  ASSERT_EQ(m->nsphere(), 2);
  EXPECT_EQ(m->deco->sphere_radius[0], 2.0);
  EXPECT_EQ(m->deco->sphere_radius[1], 1.5);
  EXPECT_GT(told.object_changes, 0);
  const std::vector<object_ref_t> objects = list_objects(*m);
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[2], (object_ref_t{OBJ_VECTOR, 0}));
  EXPECT_EQ(object_title(objects[1]), "sphere #2");
  EXPECT_EQ(object_title(objects[2]), "vector #1");
  EXPECT_EQ(object_value_text(1.5), "     1.50000000");

  // An arrow: base, tip, radius, sharpness, in the entries' order.
  const std::vector<double> v = object_values(*m, objects[2]);
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[5], 1.5);
  std::vector<std::string> texts = {"1", "2", "3", "4", "5", "6", "0.2", "0.3"};
  ASSERT_TRUE(apply_object_edit(*m, objects[2], {1, 0, 0, 1}, 0.25, texts, nullptr));
  EXPECT_EQ(m->deco->vector_end[0][2], 6.0);
  EXPECT_EQ(m->deco->vector_sharpness[0], 0.3);
  EXPECT_EQ(m->deco->vector_color[0].alpha, 0.25f);

  // One bad entry: nothing changes, and the message names it.
  texts[0] = "x1";
  texts[1] = "9";
  std::string error;
  EXPECT_FALSE(apply_object_edit(*m, objects[2], {0, 1, 0, 1}, 1, texts, &error));
  EXPECT_NE(error.find("x1"), std::string::npos);
  EXPECT_EQ(m->deco->vector_start[0][1], 2.0);
  EXPECT_EQ(m->deco->vector_color[0].red, 1.0f);
  EXPECT_FALSE(apply_object_edit(*m, {OBJ_VECTOR, 1}, {}, 1, texts, nullptr));
}

TEST_F(ObjectEdit, DeletingMovesLaterObjectsDownAndAGoneObjectIsLeftAlone) {
  add_sphere(*m, {0, 0, 0}, 1);
  add_sphere(*m, {1, 0, 0}, 2);
  add_sphere(*m, {2, 0, 0}, 3);
  ASSERT_TRUE(delete_object(*m, {OBJ_SPHERE, 0}));
  ASSERT_EQ(m->nsphere(), 2);
  EXPECT_EQ(m->deco->sphere_radius[0], 2.0);
  EXPECT_EQ(m->deco->sphere_color.size(), 2u);
  EXPECT_FALSE(delete_object(*m, {OBJ_SPHERE, 2}));
  EXPECT_FALSE(object_exists(*m, {OBJ_SPHERE, 2}));
  EXPECT_TRUE(delete_object(*m, {OBJ_SPHERE, 1}));
  EXPECT_TRUE(delete_object(*m, {OBJ_SPHERE, 0}));
  EXPECT_TRUE(list_objects(*m).empty());
  EXPECT_TRUE(object_values(*m, {OBJ_SPHERE, 0}).empty());
}

TEST_F(ObjectEdit, TextBoxPositionIsCheckedAndKeptInsideTheArea) {
  allocate_textbox(*m);
  ASSERT_EQ(m->ntextbox(), 1);
  textbox_edit_t edit{"Hi", "Sans 12", {0.5f, 0.5f, 0.5f, 0.2f}, "900", "-5"};
  ASSERT_TRUE(apply_textbox_edit(*m, 0, edit, 300, 200, nullptr));
  const textbox_t& box = m->deco->textbox[0];
  EXPECT_EQ(box.x, 300);
  EXPECT_EQ(box.y, 0);
  EXPECT_EQ(box.color.alpha, 1.0f);
  EXPECT_EQ(box.text.value_or(""), "Hi");
  edit.x = "12px";
  std::string error;
  EXPECT_FALSE(apply_textbox_edit(*m, 0, edit, 300, 200, &error));
  EXPECT_EQ(m->deco->textbox[0].x, 300);
  EXPECT_EQ(object_title({OBJ_TEXTBOX, 0}), "textbox #1");
  EXPECT_TRUE(delete_object(*m, {OBJ_TEXTBOX, 0}));
  EXPECT_EQ(m->ntextbox(), 0);
}

}  // namespace
