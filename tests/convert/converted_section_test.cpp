#include <gtest/gtest.h>

#include <filesystem>

#include "convert/convert_support.h"
#include "document/current_file.h"
#include "document/open_close.h"
#include "document/save.h"
#include "formats/native_writer.h"
#include "molecule/elements.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class ConvertedSection : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }
  TempDir dir;
  RecordingNotifier told;
};

geometry_section_t water() {
  geometry_section_t g;
  g.comment = "water\nsecond line";
  mol_data_t& rec = g.rec;
  atom_appender atoms(rec);
  atoms.add("O", {0, 0, 0});
  atoms.add("H", {0.5, 1.25, -2});
  set_atom_mulliken(rec, 0, -0.8);
  set_atom_mulliken(rec, 1, 0.4);
  rec.bond = {{0, 1, 1}};
  rec.energy = -76.5;
  rec.rms_grad = 0.00125;
  rec.flags |= FLAG_ENERGY | FLAG_RMS_GRAD | FLAG_IR;
  g.message = "hello";
  allocate_vibs(rec, 1);
  rec.vib.edit().freq[0] = 1600.5;
  rec.vib.edit().ir_intensity[0] = 12.25;
  rec.vib.edit().normal_mode[0] = {{0, 0, 0.1}, {0, 0.5, -0.25}};
  return g;
}

TEST_F(ConvertedSection, GeometryBlocksAreWrittenAsTheReaderExpectsThem) {
  EXPECT_EQ(geometry_section_text(water()),
            "  2\n"
            "water second line\n"
            " O      0.000000000      0.000000000      0.000000000\n"
            " H      0.500000000      1.250000000     -2.000000000\n"
            " <ATOM>\nMULLIKEN_CHARGE = -0.800000 \nMULLIKEN_CHARGE = 0.400000 \n </ATOM>\n"
            " <BOND>\n AUTOMATIC = 0\n 1  2  1\n </BOND>\n"
            " <ENERGY>\n -76.5000000000\n </ENERGY>\n"
            " <RMS_GRAD>\n 0.0012500000\n </RMS_GRAD>\n"
            " <WRITE>\nhello\n </WRITE>\n"
            "<VIBRATION>\n FREQ = 1600.500000  IR_INT = 12.250000 \n"
            " 0.000000  0.000000  0.100000\n 0.000000  0.500000  -0.250000\n</VIBRATION>\n"
            " <END>\n");
}

// A grid section with its values and orbital file, read back by the program
// and saved again with an orbital type the user set.
TEST_F(ConvertedSection, GridSectionRoundTripsThroughTheProgram) {
  geometry_section_t g = water();
  deallocate_vibrations(g.rec);
  set_grid_lattice(g.rec,
                   lattice_t::from_steps({2, 1, 2}, {1, 2, 3}, {vec3{0.5, 0, 0}, vec3{0, 0.25, 0}, vec3{0, 0, 1}}));
  add_named_grid(g.rec, "Density");
  add_orbital_grid(g.rec, 2, 3, -0.5, 2);
  g.rec.grid.edit().n_mo = 4;
  g.rec.grid.edit().index_counts[0] = 4;
  grid_output_t output;
  output.orbital_file = new_orbital_file("test", {1, 3});
  output.write_values = [](FILE* f, std::string&) {
    const double v[8] = {1, 2, 3, 4, -1, -2, -3, -4};
    return std::fwrite(v, sizeof(double), 8, f) == 8;
  };
  g.grids = &output;
  const std::string path = dir.file("w.mvr");
  std::string error;
  ASSERT_TRUE(write_geometry_sections(path, {g, water()}, error)) << error;
  const std::string text = read_file(path);
  const std::string header =
      " <GRID>\n"
      " N_of_MO=4 N_of_Grids=2 N_of_Points=4 Block_Size=4 N_Blocks=1 Is_cutoff=0 CutOff=  0.0000 N_P=0\n"
      " N_INDEX= 4 0 0 0 0 0 0\n"
      " Net= 2 1 2\n"
      " Origin= 1.0000000000 2.0000000000 3.0000000000\n"
      " Axis_1= 0.5000000000 0.0000000000 0.0000000000\n"
      " Axis_2= 0.0000000000 0.0000000000 0.0000000000\n"
      " Axis_3= 0.0000000000 0.0000000000 1.0000000000\n"
      " ORBOFF = 64\n"
      " GridName= Density\n"
      " GridName= Orbital  sym= 2 index=3 Energ=-0.500000 occ=2.000000 type=u\n"
      " <DENSITY>\n";
  const std::string trailer =
      " </DENSITY>\n <BASIS>\n </BASIS>\n#INPORB 2.2\n       2       1       3\n#INFO\n* test\n#INDEX\n"
      "* 1234567890\n0 u\n* 1234567890\n0 uuu\n </INPORB>\n </GRID>\n";
  const size_t at = text.find(header);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(text.compare(at + header.size() + 64, trailer.size(), trailer), 0);

  const std::vector<std::vector<double>> values = read_back(path);
  EXPECT_TRUE(told.warnings.empty());
  ASSERT_EQ(n_geometries(), 2);
  const mol_data_t& r = mol[0];
  ASSERT_EQ(r.natom(), 2);
  EXPECT_DOUBLE_EQ(atom_mulliken(r, 0), -0.8);
  EXPECT_EQ(r.nbond(), 1);
  EXPECT_TRUE(r.flags & FLAG_ENERGY);
  EXPECT_DOUBLE_EQ(r.energy, -76.5);
  EXPECT_TRUE(r.flags & FLAG_RMS_GRAD);
  EXPECT_DOUBLE_EQ(r.rms_grad, 0.00125);
  ASSERT_EQ(r.ngrid(), 2);
  EXPECT_EQ(r.grid->grid_kind[0], GRID_OTHER);
  EXPECT_EQ(r.grid->grid_kind[1], GRID_ORBITAL);
  EXPECT_EQ(r.grid->orb_sym[1], 2);
  EXPECT_EQ(r.grid->orb_index[1], 3);
  EXPECT_NEAR(r.grid->origin[2], 3 * bohr_to_angstrom, 1e-12);
  EXPECT_EQ(values, (std::vector<std::vector<double>>{{1, 2, 3, 4}, {-1, -2, -3, -4}}));
  EXPECT_EQ(mol[1].nvibr(), 1);
  bool shown = false;
  for (const auto& s : told.statuses) shown = shown || s.second == "hello";
  EXPECT_TRUE(shown);

  // A type assigned in the program is saved into the orbital file.
  m = &mol[0];
  m->grid.edit().orb_type[1] = 6;
  m->grid.edit().orb_type_changed[1] = 1;
  ASSERT_TRUE(mivor_gtk_do_save_file(dir.file("saved.mvr"), 0));
  EXPECT_NE(read_file(dir.file("saved.mvr")).find("* 1234567890\n0 uus\n"), std::string::npos);
}

TEST_F(ConvertedSection, FailedWriteLeavesTheTargetAsItWas) {
  const std::string path = dir.write("keep.mvr", "precious");
  geometry_section_t g = water();
  set_grid_lattice(g.rec, lattice_t::from_steps({1, 1, 1}, {}, {}));
  add_named_grid(g.rec, "Density");
  grid_output_t output;
  output.write_values = [](FILE*, std::string& e) {
    e = "the values ran out";
    return false;
  };
  g.grids = &output;
  std::string error;
  EXPECT_FALSE(write_geometry_sections(path, {g}, error));
  EXPECT_EQ(error, "the values ran out");
  EXPECT_EQ(read_file(path), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
