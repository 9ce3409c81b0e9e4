// The orbitals page, the surface expander and the isosurfaces on screen.
#include <gtest/gtest.h>

#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "molecule/notify.h"
#include "molecule/settings.h"
#include "render/isosurface.h"
#include "ui/main_window.h"
#include "ui/orbital_list.h"
#include "ui/side_panel.h"

namespace {

class Orbitals : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer.open(
        viewer.dir().write("work/orbitals.mvr", read_file(MIVOR_SOURCE_DIR "/examples/formaldehyde_orbitals.mvr")));
  }
  static int triangles() {
    int n = 0;
    for (const srf_t* s : surf) n += s ? s->count() : 0;
    return n;
  }
  // Counts pixels near each lobe colour over the drawing area.
  std::array<int, 2> lobe_pixels() {
    std::array<int, 2> n{};
    for (int y = 0; y < viewer.height(); y += 2) {
      for (int x = 0; x < viewer.width(); x += 2) {
        const rgb_t p = viewer.pixel(x, y);
        n[0] += p.r > p.g + 25 && p.r > p.b + 25;  // reddish: the positive lobe
        n[1] += p.g > p.r + 25 && p.g > p.b + 10;  // greenish: the negative lobe
      }
    }
    return n;
  }
  Viewer& viewer = Viewer::get();
};

TEST_F(Orbitals, OrbitalFileShowsTheOrbitalsPageAndTheSurfaceExpander) {
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(vbox_orbitals));
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(grid_expander));
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(epot_button));
  EXPECT_FALSE(GTK_WIDGET_VISIBLE(geo_expander)) << "one geometry";
  EXPECT_EQ(gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), nullptr), 6);
}

TEST_F(Orbitals, ChoosingARowMakesItCurrentAndShowsItsStatusLine) {
  GtkTreePath* path = gtk_tree_path_new_from_indices(4, -1);  // the HOMO, 2b2
  gtk_tree_selection_select_path(selection, path);
  gtk_tree_path_free(path);
  viewer.settle();
  EXPECT_EQ(iorb, 6);
  EXPECT_EQ(statusbar_text(statusbar1).substr(0, 30), "  orbital sym:  3 index:  2 en");
  EXPECT_GT(triangles(), 0);
}

TEST_F(Orbitals, TypeKeysAssignTheChosenOrbitalAndShowTheSubspaces) {
  GtkTreePath* path = gtk_tree_path_new_from_indices(4, -1);
  gtk_tree_selection_select_path(selection, path);
  gtk_tree_path_free(path);
  viewer.key("f");
  EXPECT_EQ(m->grid.edit().orb_type[6], 1);
  EXPECT_EQ(m->grid.edit().orb_type_changed[6], 1);
  EXPECT_EQ(statusbar_text(statusbar2).substr(0, 16), "Subspaces: f:1; ");
}

TEST_F(Orbitals, BothLobeColoursAreOnScreen) {
  Input_Data.plus_color = {1, 0, 0, 1};
  Input_Data.minus_color = {0, 0.8f, 0, 1};
  rerender_3d();
  invalidate_drawing_area();
  viewer.settle();
  const std::array<int, 2> n = lobe_pixels();
  EXPECT_GT(n[0], 50);
  EXPECT_GT(n[1], 50);
}

TEST_F(Orbitals, IsosurfaceSliderRebuildsTheSurfacesAtTheChosenLevel) {
  // The slider shows the automatic level of the loaded grid.
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_value(isosurface_level), Input_Data.isolevel);
  const int before = triangles();
  gtk_adjustment_set_value(isosurface_level, 0.02);
  viewer.settle();
  EXPECT_DOUBLE_EQ(Input_Data.isolevel, 0.02);
  EXPECT_NE(triangles(), before);
  viewer.key("plus", true);
  EXPECT_DOUBLE_EQ(gtk_adjustment_get_value(isosurface_level), 0.03);
  // Page Down walks the orbital list: the previous row.
  const int current = iorb;
  viewer.key("Page_Down");
  EXPECT_NE(iorb, current);
}

TEST(Geometries, TrajectoryShowsTheGeometriesExpanderWithTheLastIndexAsBound) {
  Viewer& viewer = Viewer::get();
  viewer.open(viewer.dir().write("work/trajectory.mvr", read_file(MIVOR_SOURCE_DIR "/examples/trajectory.mvr")));
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(geo_expander));
  EXPECT_FALSE(GTK_WIDGET_VISIBLE(vbox_orbitals));
  EXPECT_DOUBLE_EQ(adj_geoms->upper, n_geometries() - 1);
  gtk_adjustment_set_value(adj_geoms, 4);
  viewer.settle();
  EXPECT_EQ(igeo, 4);
  EXPECT_EQ(std::string(gtk_label_get_text(GTK_LABEL(label_igeo))).substr(0, 20), "Geometry: 4\nEnergy: ");
}

}  // namespace
