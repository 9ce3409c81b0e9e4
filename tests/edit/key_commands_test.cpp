#include "edit/key_commands.h"

#include <gtest/gtest.h>

#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "render/scene.h"
#include "support/recording_notifier.h"

namespace {

class KeyCommands : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { reset_core_state(); }
  RecordingNotifier told;
};

TEST_F(KeyCommands, ContextAndKeyMeaningsFollowTheMolecule) {
  new_mol(1);
  EXPECT_TRUE(molecule_is_empty());
  add_sphere(*m, {0, 0, 0}, 1);  // a decoration alone makes the molecule non-empty
  EXPECT_FALSE(molecule_is_empty());
  allocate_atoms(*m, 3);
  m->marked = {2};
  m->n_selected = 2;
  allocate_vibs(*m, 1);
  const key_context_t c = current_key_context('v', true, false);
  EXPECT_EQ(c.keysym, unsigned{'v'});
  EXPECT_TRUE(c.shift && !c.alt && c.editable && c.marked && c.vibrations && !c.grids);
  EXPECT_EQ(c.n_selected, 2);

  // Text boxes take printable ASCII and the keypad's characters only.
  EXPECT_EQ(typed_character('a'), 'a');
  EXPECT_EQ(typed_character(key::KP_0 + 7), '7');
  EXPECT_EQ(typed_character(key::KP_Decimal), '.');
  EXPECT_EQ(typed_character(key::F1), std::nullopt);
  EXPECT_EQ(typed_character(0x7f), std::nullopt);
  EXPECT_TRUE(is_enter_key(key::KP_Enter) && is_enter_key(key::ISO_Enter) && !is_enter_key(' '));
  const unsigned keys[] = {'f', 'i', key::KP_1, '2', '3', 's', 'd', 'x'};
  const int codes[] = {1, 2, 3, 4, 5, 6, 7, 0};
  for (size_t k = 0; k < 8; ++k) EXPECT_EQ(orbital_type_of_key(keys[k]), codes[k]) << k;
}

TEST_F(KeyCommands, TransparencyAndSphereQualityStopAtTheirLimits) {
  Input_Data.object_color.alpha = 0.75f;
  Input_Data.plus_color.alpha = 0.2f;
  change_transparency(0.1f);
  change_transparency(0.1f);
  EXPECT_NEAR(Input_Data.object_color.alpha, 0.95f, 1e-6);
  EXPECT_NEAR(Input_Data.plus_color.alpha, 0.4f, 1e-6);
  change_transparency(0.1f);  // the object colour passes 1: all five become 1
  for (const color_t* c : {&Input_Data.object_color, &Input_Data.plus_color, &Input_Data.minus_color,
                           &Input_Data.epot_plus_color, &Input_Data.epot_minus_color})
    EXPECT_EQ(c->alpha, 1.0f);
  change_transparency(-2.0f);
  EXPECT_EQ(Input_Data.minus_color.alpha, 0.0f);
  EXPECT_EQ(told.rebuilds, 4);

  for (int k = 0; k < 40; ++k) change_sphere_quality(1);
  EXPECT_EQ(get_number_of_slices(), 30);
  EXPECT_EQ(get_number_of_stacks(), 30);
  for (int k = 0; k < 40; ++k) change_sphere_quality(-1);
  EXPECT_EQ(get_number_of_slices(), 4);
  EXPECT_EQ(get_number_of_stacks(), 4);

  for (int k = 0; k < 6; ++k) step_material_style();
  EXPECT_EQ(Input_Data.material_style, 0);
}

}  // namespace
