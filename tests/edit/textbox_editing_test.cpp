#include "edit/textbox_editing.h"

#include <gtest/gtest.h>

#include "document/open_close.h"
#include "document/undo.h"
#include "molecule/decorations.h"
#include "molecule/mol_data.h"
#include "molecule/settings.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class TextboxEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    input_file_name.clear();  // undo snapshots go to the working directory
    Input_Data.label_font = "Sans 14";
    Input_Data.label_color = {0.2f, 0.4f, 0.6f, 0};
    new_mol(1);
    backups = backup_count;
  }
  void TearDown() override {
    remove_backup();
    reset_core_state();
  }

  // Adds a box, places it at (x, y) and types `text` into it.
  void place_and_type(int x, int y, const std::string& text) {
    textbox_add_command();
    textbox_button_press(x, y);
    for (char c : text) textbox_key(TextboxKey::character, c);
  }

  TempDir dir;
  ScopedCwd cwd{dir.path()};
  RecordingNotifier told;
  int backups = 0;
};

TEST_F(TextboxEditing, NewBoxWaitsForItsPositionAndTheClickPassesOn) {
  textbox_add_command();
  EXPECT_EQ(textbox_state, 1);
  ASSERT_EQ(m->ntextbox(), 1);
  const textbox_t& box = m->deco.edit().textbox[0];
  EXPECT_EQ(box.font, std::optional<std::string>("Sans 14"));
  EXPECT_FALSE(box.text);
  EXPECT_EQ(box.x, 2);
  EXPECT_EQ(box.color.blue, 0.6f);
  EXPECT_EQ(told.text_cursors, std::vector<bool>{true});

  EXPECT_TRUE(textbox_key(TextboxKey::character, 'a'));
  EXPECT_FALSE(box.text);

  EXPECT_FALSE(textbox_button_press(40, 50));
  EXPECT_EQ(textbox_state, 2);
  EXPECT_EQ(box.x, 40);
  EXPECT_EQ(box.y, 50);
  EXPECT_EQ(told.text_cursors, (std::vector<bool>{true, false}));
  EXPECT_EQ(told.object_changes, 1);
  EXPECT_EQ(backup_count, backups);
}

TEST_F(TextboxEditing, EveryKeyRemakesTheImageAndAClickFixesTheBox) {
  place_and_type(10, 20, "Hi!");
  textbox_key(TextboxKey::backspace);
  textbox_key(TextboxKey::other);
  EXPECT_EQ(told.textbox_images, (std::vector<int>{0, 0, 0, 0, 0}));
  EXPECT_EQ(m->deco.edit().textbox[0].text, std::optional<std::string>("Hi"));

  textbox_add_command();  // a box is already being typed
  EXPECT_EQ(m->ntextbox(), 1);

  // The click that ends typing makes the finished box's image once more.
  EXPECT_TRUE(textbox_button_press(90, 90));
  EXPECT_EQ(textbox_state, 0);
  EXPECT_EQ(m->deco.edit().textbox[0].x, 10);
  EXPECT_EQ(told.textbox_images.size(), 6u);
  EXPECT_EQ(backup_count, backups + 1);
  EXPECT_FALSE(textbox_key(TextboxKey::character, 'x'));
  EXPECT_FALSE(textbox_button_press(1, 1));
}

TEST_F(TextboxEditing, ReturnEndsTypingAndEscapeDeletesTheBox) {
  place_and_type(5, 5, "keep");
  EXPECT_TRUE(textbox_key(TextboxKey::finish));
  EXPECT_EQ(textbox_state, 0);
  EXPECT_EQ(backup_count, backups + 1);

  place_and_type(6, 6, "drop");
  EXPECT_TRUE(textbox_key(TextboxKey::escape));
  EXPECT_EQ(textbox_state, 0);
  ASSERT_EQ(m->ntextbox(), 1);
  EXPECT_EQ(m->deco.edit().textbox[0].text, std::optional<std::string>("keep"));
  EXPECT_EQ(backup_count, backups + 2);
  EXPECT_FALSE(told.text_cursors.back());
}

TEST_F(TextboxEditing, MoveCommandMovesTheChosenBoxOnTheNextClick) {
  place_and_type(1, 1, "a");
  textbox_key(TextboxKey::finish);
  place_and_type(2, 2, "b");
  textbox_key(TextboxKey::finish);
  const int before = backup_count;

  textbox_move_command(0);
  EXPECT_EQ(textbox_state, 3);
  EXPECT_TRUE(textbox_button_press(70, 80));
  EXPECT_EQ(textbox_state, 0);
  EXPECT_EQ(m->deco.edit().textbox[0].x, 70);
  EXPECT_EQ(m->deco.edit().textbox[0].y, 80);
  EXPECT_EQ(m->deco.edit().textbox[1].x, 2);
  EXPECT_EQ(backup_count, before + 1);

  for (int bad : {2, -1}) {
    textbox_move_command(bad);
    EXPECT_EQ(textbox_state, 0);
  }
}

}  // namespace
