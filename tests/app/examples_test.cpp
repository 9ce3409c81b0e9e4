// The example files shipped in examples/ open cleanly and hold what they are
// meant to show.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "document/open_close.h"
#include "document/undo.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class Examples : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }

  // Opens a copy of examples/`name`, so that the undo file is not left next
  // to the original.
  void open_example(const std::string& name) {
    const std::string copy = dir.write(name, read_file(std::string(MIVOR_SOURCE_DIR) + "/examples/" + name));
    open_file(copy, std::nullopt);
  }

  TempDir dir;
  RecordingNotifier told;
};

TEST_F(Examples, EveryExampleOpensWithoutWarning) {
  int count = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(std::string(MIVOR_SOURCE_DIR) + "/examples")) {
    const std::string name = e.path().filename().string();
    // Hidden ".name.mvr" files are undo files a viewer left behind.
    if (e.path().extension() != ".mvr" || name[0] == '.') continue;
    told.warnings.clear();
    open_example(name);
    EXPECT_TRUE(told.warnings.empty()) << name << ": " << (told.warnings.empty() ? "" : told.warnings[0]);
    ASSERT_NE(m, nullptr) << name;
    EXPECT_GT(m->natom(), 0) << name;
    remove_backup();
    ++count;
  }
  EXPECT_GE(count, 4);
}

TEST_F(Examples, DecorationsShowEveryBondTypeAndEveryKindOfObject) {
  open_example("decorations.mvr");
  std::set<int> types;
  for (const bond_t& b : m->bond) types.insert(b.type);
  EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(m->ntextbox(), 2);
  for (const textbox_t& box : m->deco.edit().textbox) {
    EXPECT_TRUE(box.font && !box.font->empty());
    EXPECT_TRUE(box.text && !box.text->empty());
  }
  EXPECT_GT(m->nvector(), 0);
  EXPECT_GT(m->ntriangle(), 0);
  EXPECT_GT(m->nsphere(), 0);
  EXPECT_GT(m->nsurf(), 0);
  EXPECT_GT(m->ncell(), 0);
  const int wanted = FLAG_DIPOLE | FLAG_ATOM_NAMES | FLAG_MULLIKEN;
  EXPECT_EQ(m->flags & wanted, wanted);
}

TEST_F(Examples, TrajectoryEnergiesAndGradientsFallTowardConvergence) {
  open_example("trajectory.mvr");
  ASSERT_GE(n_geometries(), 8);
  for (int i = 0; i < n_geometries(); ++i) {
    const mol_data_t& g = mol[static_cast<size_t>(i)];
    const int wanted = FLAG_ENERGY | FLAG_RMS_GRAD | FLAG_MAX_GRAD;
    EXPECT_EQ(g.flags & wanted, wanted) << i;
    EXPECT_EQ(g.natom(), mol[0].natom()) << i;
    if (i > 0) {
      EXPECT_LT(g.energy, mol[static_cast<size_t>(i - 1)].energy) << i;
      EXPECT_LT(g.max_grad, mol[static_cast<size_t>(i - 1)].max_grad) << i;
    }
  }
}

TEST_F(Examples, VibrationsHaveOneDisplacementPerAtomInEveryMode) {
  open_example("vibrations.mvr");
  ASSERT_GT(m->nvibr(), 0);
  EXPECT_EQ(m->nvibr(), 3 * m->natom() - 6);
  EXPECT_TRUE(m->flags & FLAG_IR);
  for (int v = 0; v < m->nvibr(); ++v) {
    EXPECT_EQ(m->vib.edit().normal_mode[static_cast<size_t>(v)].size(), static_cast<size_t>(m->natom())) << v;
    EXPECT_GT(m->vib.edit().freq[static_cast<size_t>(v)], 0) << v;
  }
}

}  // namespace
