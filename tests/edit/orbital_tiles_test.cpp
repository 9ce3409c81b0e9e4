#include "edit/orbital_tiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "document/native_file.h"
#include "document/open_close.h"
#include "edit/key_commands.h"
#include "render/isosurface.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

TEST(OrbitalTiles, TypeColoursLettersKeysAndPlacement) {
  EXPECT_EQ(mivor_gtk_get_cur_color(1).green, 0.5f);
  EXPECT_EQ(mivor_gtk_get_cur_color(4).green, 0.78f);
  EXPECT_EQ(mivor_gtk_get_cur_color(7).red, 0.78f);
  for (int code : {0, 8, -1}) EXPECT_EQ(mivor_gtk_get_cur_color(code).red + mivor_gtk_get_cur_color(code).blue, 0.0f);
  EXPECT_EQ(orbital_type_letter(3), '1');
  EXPECT_EQ(orbital_type_letter(7), 'D');
  EXPECT_EQ(orbital_type_letter(9), 'U');
  const std::pair<unsigned, int> keys[] = {{'f', 1}, {'i', 2},       {'1', 3}, {key::KP_1, 3}, {'2', 4}, {'a', 4},
                                           {'3', 5}, {key::KP_3, 5}, {'s', 6}, {'d', 7},       {'x', 0}, {'F', 0}};
  for (const auto& [k, type] : keys) EXPECT_EQ(multiview_key_type(k), type) << k;

  EXPECT_EQ(multiview_tile_size(0), 250);
  EXPECT_EQ(multiview_tile_size(-3), 220);
  EXPECT_EQ(multiview_tile_size(-1000), min_tile_size);
  EXPECT_EQ(multiview_columns(800, 250), 3);
  EXPECT_EQ(multiview_columns(100, 250), 1);
  EXPECT_EQ(multiview_tile_place(4, 3, 250).x, 250);
  EXPECT_EQ(multiview_tile_place(4, 3, 250).y, 250);
  EXPECT_EQ(multiview_area_size(6, 3, 250).y, 750);
}

class OrbitalTileSurfaces : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    const std::string name = "formaldehyde_orbitals.mvr";
    open_file(dir.write(name, read_file(std::string(MIVOR_SOURCE_DIR) + "/examples/" + name)), std::nullopt);
  }
  void TearDown() override { close_test_file(); }
  TempDir dir;
  RecordingNotifier told;
};

TEST_F(OrbitalTileSurfaces, EveryOrbitalGetsItsLobesWithoutTouchingTheMainView) {
  ASSERT_NE(m, nullptr);
  const std::vector<orbital_tile_t> tiles = orbital_tiles(*m);
  ASSERT_EQ(tiles.size(), 6u);
  for (size_t k = 1; k < tiles.size(); ++k) EXPECT_GT(tiles[k].grid, tiles[k - 1].grid);
  const int current = iorb;
  const size_t surfaces = surf.size();
  for (const orbital_tile_t& t : tiles) {
    ASSERT_TRUE(tile_matches(*m, t));
    tile_surface_t made = build_tile_surface(t, 0, true);
    ASSERT_TRUE(made.store) << made.error;
    EXPECT_GT(made.level, 0);
    int triangles = 0;
    for (const auto& s : made.store->slots) triangles += s ? s->count() : 0;
    EXPECT_GT(triangles, 0);
  }
  EXPECT_EQ(iorb, current);
  EXPECT_EQ(surf.size(), surfaces);

  // A tile whose grid is gone (another file, an undo) gets a reason, not lobes.
  orbital_tile_t stale = tiles[0];
  stale.grid = m->ngrid() + 3;
  EXPECT_FALSE(tile_matches(*m, stale));
  tile_surface_t none = build_tile_surface(stale, 0.05, false);
  EXPECT_FALSE(none.store);
  EXPECT_FALSE(none.error.empty());

  // Values that don't fit in the memory left are not read: the tile says why.
  setenv("MIVOR_MEMORY_LIMIT", "1K", 1);
  tile_surface_t short_of_memory = build_tile_surface(tiles[0], 0.05, false);
  unsetenv("MIVOR_MEMORY_LIMIT");
  EXPECT_FALSE(short_of_memory.store);
  EXPECT_NE(short_of_memory.error.find("not enough memory"), std::string::npos) << short_of_memory.error;
}

}  // namespace
