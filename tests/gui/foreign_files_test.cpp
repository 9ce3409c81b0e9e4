// Files of other programs opened in the window through the converters, and
// saved back through them.
#include <gtest/gtest.h>

#include "document/current_file.h"
#include "document/save.h"
#include "formats/file_types.h"
#include "formats/orbital_file.h"
#include "formats/safe_file.h"
#include "gui/viewer.h"
#include "molecule/mol_data.h"
#include "render/isosurface.h"
#include "ui/orbital_list.h"
#include "ui/side_panel.h"

namespace {

class ForeignFiles : public ::testing::Test {
 protected:
  std::string copy(const std::string& fixture, const std::string& name) {
    return viewer.dir().write("work/" + name, read_file(MIVOR_SOURCE_DIR "/tests/data/convert/" + fixture));
  }
  static int triangles() {
    int n = 0;
    for (const srf_t* s : surf) n += s ? s->count() : 0;
    return n;
  }
  Viewer& viewer = Viewer::get();
};

TEST_F(ForeignFiles, MoldenOpensWithItsOrbitalsListedAndOneDrawn) {
  viewer.open(copy("h2co.molden", "h2co.molden"));
  EXPECT_TRUE(viewer.take_warnings().empty());
  ASSERT_EQ(m->natom(), 4);
  ASSERT_EQ(m->ngrid(), 20);
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(vbox_orbitals));
  EXPECT_EQ(gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), nullptr), 19);
  EXPECT_EQ(m->grid->grid_kind[static_cast<size_t>(iorb)], GRID_ORBITAL);
  // It opens on the highest occupied orbital, not on the last virtual.
  EXPECT_EQ(iorb, 8);
  EXPECT_GT(m->grid->orb_occ[static_cast<size_t>(iorb)], 0);
  EXPECT_GT(triangles(), 0);
}

TEST_F(ForeignFiles, CubeShowsTheDensityAndSavesThroughTheBackwardConverters) {
  viewer.open(copy("h2co_density.cube", "water.cube"));
  EXPECT_TRUE(viewer.take_warnings().empty());
  ASSERT_EQ(m->ngrid(), 1);
  EXPECT_EQ(m->grid->grid_name[0], "Density");
  EXPECT_GT(triangles(), 0);

  for (const char* name : {"out.xyz", "out.pdb"}) {
    const std::string path = viewer.dir().file(std::string("work/") + name);
    ASSERT_TRUE(mivor_gtk_do_save_file(path, get_filetype(path))) << name;
    EXPECT_TRUE(file_exists(path)) << name;
  }
  EXPECT_EQ(read_file(viewer.dir().file("work/out.xyz")).substr(0, 2), "4\n");
}

TEST_F(ForeignFiles, FailedConversionShowsTheConvertersLineAndKeepsTheMolecule) {
  viewer.open(copy("ethanol.sdf", "ethanol.sdf"));
  ASSERT_EQ(m->natom(), 9);
  viewer.take_warnings();
  const std::string bad = viewer.dir().write("work/broken.xyz", "2\ncomment line\nC 0 0 0\n");
  viewer.open(bad);
  const std::vector<std::string> warnings = viewer.take_warnings();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0],
            "ERROR: Can't process file: " + bad + "\n" + bad + ": the file ends after 1 of 2 atoms of frame 1");
  EXPECT_EQ(m->natom(), 9);
  EXPECT_EQ(input_file_name, viewer.dir().file("work/ethanol.sdf"));
}

// A run opened from its HDF5 orbital file: the types given in the
// orbital list with the type keys (the highest occupied and the lowest
// empty orbital made RAS2) are in the orbital file of the saved file, the
// other orbitals' types as the run gave them.
TEST_F(ForeignFiles, HdfOrbitalTypesSetInTheListAreSavedInItsOrbitalFile) {
  viewer.open(viewer.dir().write("work/water.scf.h5", read_file(MIVOR_SOURCE_DIR "/tests/data/orbital_files/water.scf.h5")));
  EXPECT_TRUE(viewer.take_warnings().empty());
  ASSERT_GT(m->ngrid(), 2);
  auto choose = [&](int symmetry, int index) {
    const int rows = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(store), nullptr);
    for (int r = 0; r < rows; ++r) {
      GtkTreePath* path = gtk_tree_path_new_from_indices(r, -1);
      gtk_tree_selection_select_path(selection, path);
      gtk_tree_path_free(path);
      viewer.settle(20);
      const grid_data_t& g = *m->grid;
      if (g.orb_sym[static_cast<size_t>(iorb)] == symmetry && g.orb_index[static_cast<size_t>(iorb)] == index) return true;
    }
    return false;
  };
  ASSERT_TRUE(choose(2, 1));  // 1b1, the highest occupied
  viewer.key("2");
  ASSERT_TRUE(choose(1, 4));  // 4a1, the lowest empty
  viewer.key("2");
  const std::string saved = viewer.dir().file("work/active.mvr");
  ASSERT_TRUE(mivor_gtk_do_save_file(saved, get_filetype(saved)));
  viewer.open(saved);
  file_ptr f = open_file_ptr(saved, "rb");
  const std::optional<orbital_file_t> orbitals = read_orbital_file(f.get(), *m);
  ASSERT_TRUE(orbitals);
  ASSERT_EQ(orbitals->letters.size(), 4u);
  EXPECT_EQ(orbitals->letters[0], "iii2sssssss");
  EXPECT_EQ(orbitals->letters[1], "2sss");
  EXPECT_EQ(orbitals->letters[3], "issssss");
}

}  // namespace
