#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>

#include "document/open_close.h"
#include "document/save.h"
#include "document/undo.h"
#include "formats/file_names.h"
#include "formats/native_reader.h"
#include "formats/native_writer.h"
#include "molecule/bonding.h"
#include "molecule/decorations.h"
#include "molecule/elements.h"
#include "molecule/settings.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class NativeFile : public ::testing::Test {
 protected:
  void SetUp() override { reset_core_state(); }
  void TearDown() override { close_test_file(); }

  // Opens `text` as a native file through the opener.
  void open_text(const std::string& text, const std::string& name = "mol.mvr") {
    open_file(dir.write(name, text), std::nullopt);
  }

  std::string written(int grid = 1) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::tmpfile(), std::fclose);
    file_ptr source = open_current_mivor_file();
    write_all_data_to_output(f.get(), grid, source.get());
    std::string out(static_cast<size_t>(std::ftell(f.get())), '\0');
    std::rewind(f.get());
    EXPECT_EQ(std::fread(out.data(), 1, out.size(), f.get()), out.size());
    return out;
  }

  TempDir dir;
  RecordingNotifier told;
};

const char water[] =
    "3\n"
    "water\n"
    "O 0.0 0.0 0.1173\n"
    "H 0.0 0.7572 -0.4692\n"
    "H 0.0 -0.7572 -0.4692\n";

TEST_F(NativeFile, GeometryCountFollowsEndAndBreakLines) {
  open_text(std::string(water) + " <END>\n");
  EXPECT_EQ(n_geometries(), 1);
  ASSERT_EQ(m->natom(), 3);
  EXPECT_EQ(atom_element(*m, 0).name, "O");
  EXPECT_DOUBLE_EQ(m->xyz[1][1], 0.7572);
  EXPECT_EQ(m->nbond(), 2);  // bonded automatically

  open_text(std::string(water) + " <END>\n\n");
  ASSERT_EQ(n_geometries(), 2);
  EXPECT_EQ(mol[1].natom(), 0);

  open_text(std::string(water) + " <END>\n<BREAK>\n" + water + " <END>\n");
  EXPECT_EQ(n_geometries(), 1);

  open_text(std::string(water) + " <END>\n" + water + " <end>\n" + water);
  EXPECT_EQ(n_geometries(), 3);
  EXPECT_EQ(told.warnings, std::vector<std::string>{});
}

TEST_F(NativeFile, MarkersAreFoundInAnyCaseAndClosingLinesAreIgnored) {
  open_text(std::string(water) +
            "   <energy>\n-76.4\n"
            "  <Vector>\nred=1 radius=0.2\n0 0 0\n1 1 1\n</VECTOR>\n"
            "<EDITABLE>\nno\n"
            "junk line\n"
            " <END>\n");
  EXPECT_TRUE(m->flags & FLAG_ENERGY);
  EXPECT_EQ(m->energy, -76.4);
  ASSERT_EQ(m->nvector(), 1);
  EXPECT_EQ(m->deco.edit().vector_radius[0], 0.2);
  EXPECT_EQ(m->deco.edit().vector_color[0].red, 1.0f);
  EXPECT_EQ(m->deco.edit().vector_color[0].green, Input_Data.object_color.green);  // default
  EXPECT_EQ(m->deco.edit().vector_sharpness[0], 0.10000000149011612);
  EXPECT_EQ(m->editable, 0);
}

TEST_F(NativeFile, ListedBondsTurnAutomaticBondingOffOrAddToIt) {
  open_text(std::string(water) +
            " <BOND>\n AUTOMATIC = 0\n 1 2 4\n 0 1 1\n 1 9 1\n 2 1 6\n 1 3 99\n </BOND>\n <END>\n");
  ASSERT_EQ(m->nbond(), 1);
  EXPECT_EQ(m->bond[0].a1, 0);
  EXPECT_EQ(m->bond[0].a2, 1);
  EXPECT_EQ(m->bond[0].type, LINE_BOND);  // the repeated pair changed the first

  open_text(std::string(water) + " <BOND>\n AUTOMATIC = 1\n 1 2 4\n </BOND>\n <END>\n");
  ASSERT_EQ(m->nbond(), 2);
  EXPECT_EQ(m->bond[0].type, PARTIAL_BOND);
  EXPECT_EQ(m->bond[1].a2, 2);  // found automatically

  // A block without its AUTOMATIC line keeps its first bond.
  open_text(std::string(water) + " <BOND>\n 2 3 1\n </BOND>\n <END>\n");
  ASSERT_GE(m->nbond(), 1);
  EXPECT_EQ(m->bond[0].a1, 1);
  EXPECT_EQ(m->bond[0].a2, 2);
}

TEST_F(NativeFile, MissingAtomsAreReportedAndTheAtomsReadKept) {
  open_text("5\ncomment\nC 0 0 0\nC 1.5 0 0\n");
  EXPECT_EQ(told.warnings, std::vector<std::string>{"WARNING: Broken file; some atoms are missing!\n"});
  EXPECT_EQ(m->natom(), 2);

  told.warnings.clear();
  open_text("2000000000\ncomment\nC 0 0 0\n <END>\n");
  EXPECT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(m->natom(), 1);
}

// Blocks cut short end at the next line that begins with a marker, so the
// next block stays whole; each kind of damage is reported once per file
// (the corpus test has the damaged atom counts and vibrations).
TEST_F(NativeFile, DamagedBlocksNeverSwallowWhatFollows) {
  const std::string short_count = std::string(water).replace(0, 1, "1") + " <END>\n";
  open_text(short_count + short_count + "2\nsecond\nC 0 0 0\nO 1.2 0 0\n <END>\n");
  EXPECT_EQ(mol[0].natom(), 1);
  EXPECT_EQ(mol[2].natom(), 2);
  EXPECT_EQ(told.warnings, std::vector<std::string>{"WARNING: Broken file; some atoms are missing!\n"});

  open_text(std::string(water) +
            "<VECTOR>\nRED=1\n0 0 0\n</VECTOR>\n<VECTOR>\nRED=0.5\n1 1 1\n2 2 2\n</VECTOR>\n <END>\n");
  ASSERT_EQ(m->nvector(), 2);
  EXPECT_EQ(m->deco->vector_end[0], (vec3{0, 0, 0}));
  EXPECT_EQ(m->deco->vector_end[1], (vec3{2, 2, 2}));

  EXPECT_TRUE(is_marker_line("  </Vector>\n"));
  EXPECT_TRUE(is_marker_line("<end>"));
  EXPECT_FALSE(is_marker_line("H <END> 0 0 0\n"));  // not at the start
  EXPECT_FALSE(is_marker_line("<ENDING>\n"));
}

// Names and symbols are kept as the bytes the file holds and written so
// that they read back the same: quoted when empty or with blanks, and a
// name holding a key's text is not taken for that key.
TEST_F(NativeFile, NamesAndSymbolsAreByteStrings) {
  open_text(
      "4\nbytes\n\xc5 0 0 0\nC\xce\xb1 1.5 0 0\n\"\" 0 1 0\nH 0 0 1\n"
      " <ATOM>\nNAME = \xc3\x85ngstr\xc3\xb6m MULLIKEN_CHARGE = 0.5\nNAME = \"C alpha\"\n"
      "NAME = MULLIKEN_CHARGE LOPROP_CHARGE = -0.25\nNAME = RED_1 MULLIKEN_CHARGE = 0.125\n </ATOM>\n <END>\n");
  const auto check = [&] {
    ASSERT_EQ(m->natom(), 4);
    EXPECT_EQ(atom_element(*m, 0).name, "\xc5");
    EXPECT_EQ(atom_element(*m, 1).name, "C\xce\xb1");
    EXPECT_EQ(atom_element(*m, 2).name, "");
    EXPECT_EQ(m->xyz[2], (vec3{0, 1, 0}));
    EXPECT_EQ(atom_name(*m, 0), "\xc3\x85ngstr\xc3\xb6m");
    EXPECT_EQ(atom_name(*m, 1), "C alpha");
    EXPECT_EQ(atom_name(*m, 2), "MULLIKEN_CHARGE");
    EXPECT_EQ(atom_mulliken(*m, 2), 0.0);
    EXPECT_EQ(atom_loprop(*m, 2), -0.25);
    EXPECT_EQ(atom_mulliken(*m, 3), 0.125);
    EXPECT_EQ(atom_color(*m, 3).red, atom_element(*m, 3).color.red);  // "RED_1" is a name
  };
  check();
  const std::string text = written();
  EXPECT_NE(text.find(" \xc5      0.000000000"), std::string::npos);
  EXPECT_NE(text.find(" \"\"      0.000000000"), std::string::npos);
  EXPECT_NE(text.find("NAME = \"C alpha\" "), std::string::npos);
  open_text(text, "again.mvr");
  check();
}

TEST_F(NativeFile, MissingFileWarnsAndLeavesOneEmptyGeometry) {
  open_file(dir.file("absent.mvr"), std::nullopt);
  EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Can't open file: " + dir.file("absent.mvr")});
  EXPECT_EQ(n_geometries(), 1);
  EXPECT_EQ(m->natom(), 0);
  EXPECT_EQ(input_file_name, "new_file.mvr");
}

// A record with every block the writer knows.
void fill_everything(mol_data_t& rec) {
  allocate_atoms(rec, 2);
  set_atom_symbol(rec, 0, "O");
  set_atom_symbol(rec, 1, "H");
  rec.xyz[0] = {0, 0, 0.1173};
  rec.xyz[1] = {0, 0.7572, -0.4692};
  set_atom_name(rec, 0, "O1");
  set_atom_mulliken(rec, 0, -0.66);
  set_atom_mulliken(rec, 1, 0.33);
  rec.flags |= FLAG_ATOM_NAMES | FLAG_MULLIKEN | FLAG_ATOM_COLORS | FLAG_ENERGY | FLAG_DIPOLE;
  rec.energy = -76.0;
  rec.editable = 0;
  add_bond(rec, 0, 1, SINGLE_BOND);
  rec.dipole = {0.1, 0.2, 0.3};
  Input_Data.object_color = {0.1f, 0.2f, 0.3f, 0.4f};
  add_vector(rec, {0, 0, 0}, {1, 2, 3});
  add_triangle(rec, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  rec.deco.edit().triangle_color[0] = {1, 0, 0, 0.5f};
  add_sphere(rec, {1, 1, 1}, 1.5);
  rec.deco.edit().sphere_color[0] = {0, 1, 0, 0.25f};
  add_surface(rec, {2, 0, 0}, {0, 2, 0}, {0, 0, 2});
  rec.deco.edit().surf_color[0] = {0, 0, 1, 0.75f};
  add_cell(rec, {0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {0, 0, 3});
  rec.deco.edit().cell_color[0] = {0.5f, 0.5f, 0.5f, 1};
  allocate_textbox(rec);
  rec.deco.edit().textbox[0].x = 10;
  rec.deco.edit().textbox[0].y = 20;
  rec.deco.edit().textbox[0].font = "Sans 12";
  rec.deco.edit().textbox[0].text = "Hello";
  allocate_vibs(rec, 1);
  rec.vib.edit().freq[0] = 1600.5;
  rec.vib.edit().ir_intensity[0] = 12.25;
  rec.flags |= FLAG_IR;
  rec.vib.edit().normal_mode[0] = {{0, 0, 0.1}, {0, 0.5, -0.4}};
}

const char everything_written[] =
    "  2\n"
    "File generated by mivor version 0.8.6 beta\n"
    " O      0.000000000      0.000000000      0.117300000\n"
    " H      0.000000000      0.757200000     -0.469200000\n"
    " <ATOM>\n"
    "NAME = O1 MULLIKEN_CHARGE = -0.660000 RED=0.953000 GREEN=0.180000 BLUE=0.259000\n"
    "MULLIKEN_CHARGE = 0.330000 RED=0.950000 GREEN=0.950000 BLUE=0.950000\n"
    " </ATOM>\n"
    " <BOND>\n"
    " AUTOMATIC = 0\n"
    " 1  2  1\n"
    " </BOND>\n"
    " <DIPOLE>\n"
    "0.100000  0.200000  0.300000\n"
    " </DIPOLE>\n"
    "<VECTOR>\n"
    "RED = 0.100000 GREEN = 0.200000 BLUE = 0.300000 TRANSPARENCY = 1.000000 RADIUS = 0.050000 SHARPNESS = 0.100000\n"
    " 0.000000  0.000000  0.000000\n"
    " 1.000000  2.000000  3.000000\n"
    "</VECTOR>\n"
    "<TRIANGLE>\n"
    "RED = 1.000000 GREEN = 0.000000 BLUE = 0.000000 TRANSPARENCY = 0.500000\n"
    "  1.000000  0.000000  0.000000\n"
    " 0.000000  1.000000  0.000000\n"
    " 0.000000  0.000000  1.000000\n"
    "</TRIANGLE>\n"
    "<SPHERE>\n"
    "RED = 0.000000 GREEN = 1.000000 BLUE = 0.000000 TRANSPARENCY = 0.250000 RADIUS = 1.500000 \n"
    " 1.000000  1.000000  1.000000\n"
    "</SPHERE>\n"
    "<SURFACE>\n"
    "RED = 0.000000 GREEN = 0.000000 BLUE = 1.000000 TRANSPARENCY = 0.750000 \n"
    " 2.000000  0.000000  0.000000\n"
    " 0.000000  2.000000  0.000000\n"
    " 0.000000  0.000000  2.000000\n"
    "</SURFACE>\n"
    "<CELL>\n"
    "RED = 0.500000 GREEN = 0.500000 BLUE = 0.500000 TRANSPARENCY = 1.000000 \n"
    " 0.000000  0.000000  0.000000\n"
    " 3.000000  0.000000  0.000000\n"
    " 0.000000  3.000000  0.000000\n"
    " 0.000000  0.000000  3.000000\n"
    "</CELL>\n"
    "<TEXTBOX>\n"
    "RED = 0.000000 GREEN = 0.000000 BLUE = 0.000000 X=10 Y=20\n"
    "Sans 12\n"
    "Hello\n"
    "</TEXTBOX>\n"
    "<VIBRATION>\n"
    " FREQ = 1600.500000  IR_INT = 12.250000 \n"
    " 0.000000  0.000000  0.100000\n"
    " 0.000000  0.500000  -0.400000\n"
    "</VIBRATION>\n"
    " <END>\n";

TEST_F(NativeFile, EveryBlockIsWrittenByteForByte) {
  new_mol(1);
  fill_everything(*m);
  EXPECT_EQ(written(), everything_written);
}

TEST_F(NativeFile, RoundTripKeepsTheDataAndLosesEnergiesAndTheEditableFlag) {
  new_mol(1);
  fill_everything(*m);
  const std::string path = dir.file("all.mvr");
  ASSERT_TRUE(save_zev_file(path));
  EXPECT_EQ(read_file(path), everything_written);

  open_file(path, std::nullopt);
  ASSERT_EQ(n_geometries(), 1);
  const mol_data_t& r = *m;
  EXPECT_EQ(r.flags, FLAG_ATOM_NAMES | FLAG_MULLIKEN | FLAG_ATOM_COLORS | FLAG_DIPOLE | FLAG_IR);
  EXPECT_EQ(r.editable, 1);
  ASSERT_EQ(r.natom(), 2);
  EXPECT_EQ(atom_name(r, 0), "O1");
  EXPECT_FALSE(atom_name(r, 1));
  EXPECT_EQ(atom_mulliken(r, 0), -0.66);
  EXPECT_EQ(atom_color(r, 0).green, 0.18f);
  ASSERT_EQ(r.nbond(), 1);
  EXPECT_EQ(r.bond[0].type, SINGLE_BOND);
  EXPECT_EQ(r.deco->vector_end[0], (vec3{1, 2, 3}));
  EXPECT_EQ(r.deco->vector_color[0].alpha, 1.0f);
  EXPECT_EQ(r.deco->triangle_color[0].alpha, 0.5f);
  EXPECT_EQ(r.deco->sphere_radius[0], 1.5);
  EXPECT_EQ(r.deco->surf3[0], (vec3{0, 0, 2}));
  EXPECT_EQ(r.deco->cell4[0], (vec3{0, 0, 3}));
  ASSERT_EQ(r.ntextbox(), 1);
  EXPECT_EQ(r.deco->textbox[0].text, "Hello");
  EXPECT_EQ(r.deco->textbox[0].font, "Sans 12");
  EXPECT_EQ(r.deco->textbox[0].x, 10);
  EXPECT_EQ(r.deco->textbox[0].y, 20);
  ASSERT_EQ(r.nvibr(), 1);
  EXPECT_EQ(r.vib->ir_intensity[0], 12.25);
  EXPECT_EQ(r.vib->normal_mode[0][1], (vec3{0, 0.5, -0.4}));
  // Written again, the file is the same.
  EXPECT_EQ(written(), everything_written);
}

TEST_F(NativeFile, NamesWithBlanksAndTextsWithLineBreaksReadBackAsFarAsTheyCan) {
  new_mol(1);
  fill_everything(*m);
  set_atom_name(*m, 0, "ring carbon");
  m->deco.edit().textbox[0].text = "first\nsecond";
  m->deco.edit().textbox[0].font.reset();
  const std::string path = dir.file("names.mvr");
  ASSERT_TRUE(save_zev_file(path));
  open_file(path, std::nullopt);
  EXPECT_EQ(atom_name(*m, 0), "ring carbon");
  EXPECT_EQ(m->deco.edit().textbox[0].text, "first");
  EXPECT_FALSE(m->deco.edit().textbox[0].font);
}

TEST_F(NativeFile, SavingNeverLeavesAHalfWrittenFile) {
  new_mol(1);
  fill_everything(*m);
  EXPECT_FALSE(save_zev_file(dir.file("no/such/dir/x.mvr")));
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_EQ(told.warnings[0], "ERROR: Can't write file: " + dir.file("no/such/dir/x.mvr"));

  // A directory is no file to save over: nothing is left behind.
  const std::string target = dir.subdir("taken.mvr");
  EXPECT_FALSE(save_zev_file(target));
  EXPECT_EQ(told.warnings.back(), "ERROR: Can't write file: " + target + " (not a regular file)");
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().rfind(".mivor", 0), std::string::npos) << entry.path();

  // A failed save leaves the file that was there untouched.
  const std::string kept = dir.write("kept.mvr", "old contents\n");
  chmod(dir.path().c_str(), 0500);
  const bool saved = save_zev_file(kept);
  chmod(dir.path().c_str(), 0700);
  if (geteuid() != 0) {
    EXPECT_FALSE(saved);
  }
  if (!saved) {
    EXPECT_EQ(read_file(kept), "old contents\n");
  }
}

TEST_F(NativeFile, FileNameRules) {
  EXPECT_EQ(make_mivor_file_name("a/b.xyz"), "a/b.mvr");
  EXPECT_EQ(make_mivor_file_name("notes.document"), "notes.document.mvr");
  EXPECT_EQ(make_mivor_file_name("abc"), "abc.mvr");
  EXPECT_EQ(make_mivor_file_name("x.tar.gz"), "x.tar.mvr");
  EXPECT_EQ(make_mivor_file_name(".hidden"), ".hidden.mvr");
  EXPECT_EQ(make_mivor_file_name("mol.mvr"), "mol.mvr");
  // Only the file name's own dot counts, never one of a directory.
  EXPECT_EQ(make_mivor_file_name("v1.0/res"), "v1.0/res.mvr");
  EXPECT_EQ(make_mivor_file_name("../run.3/.hidden"), "../run.3/.hidden.mvr");
  EXPECT_EQ(make_mivor_file_name("v1.0/res.xyz"), "v1.0/res.mvr");
  EXPECT_EQ(name_before_extension("v1.0/res"), "v1.0/res");
  EXPECT_STREQ(get_extension_pointer("v1.0/res"), "");
  input_file_name.clear();
  EXPECT_FALSE(nextfname());
  EXPECT_EQ(get_input_filename(), "newfile.mvr");
  input_file_name = "dir/water.xyz";
  EXPECT_EQ(nextfname(), "dir/water_new");
  EXPECT_EQ(get_input_filename(), "dir/water.xyz");
}

TEST_F(NativeFile, WriteBlockShowsItsMessageAndSleepIsSkipped) {
  open_text(std::string(water) + "<sleep>\n5\n<write>\nOptimisation step 3\n <END>\n");
  ASSERT_FALSE(told.statuses.empty());
  bool found = false;
  for (const auto& [bar, text] : told.statuses) found |= bar == StatusBar::lower && text == "Optimisation step 3";
  EXPECT_TRUE(found);
}

TEST_F(NativeFile, BlockCutShortByEndDoesNotReachIntoTheNextGeometry) {
  open_text(std::string(water) + "<VECTOR>\nRED=1\n <END>\n" + water + "<SPHERE>\nRADIUS=3\n0 0 0\n <END>\n");
  ASSERT_EQ(n_geometries(), 2);
  EXPECT_EQ(mol[0].nvector(), 1);
  EXPECT_EQ(mol[0].deco->vector_end[0], (vec3{0, 0, 0}));
  EXPECT_EQ(mol[0].nsphere(), 0);
  EXPECT_EQ(mol[1].nsphere(), 1);
  EXPECT_EQ(mol[1].deco->sphere_radius[0], 3.0);
}

TEST_F(NativeFile, HostileSectionsNeverCrash) {
  const char* bodies[] = {
      " <ATOM>\n",
      " <ATOM>\nNAME=\"unterminated\nRED=1e999 GREEN=-1e999\n",
      " <BOND>\n",
      " <BOND>\n AUTOMATIC\n 1 2 3 4 5\n -1 -1 -1\n 99999999999999999999 1 1\n",
      "<VECTOR>\n",
      "<TEXTBOX>\nX= Y=\n",
      "<VIBRATION>\n",
      "<VIBRATION>\nFREQ=\n1\n<VIBRATION>\n",
      " <DIPOLE>\n",
      "<CELL>\n1 2\n",
      "<editable>\n",
      " <GRID>\n",
      " <GRID>\n N_of_Grids=2 N_of_Points=8\n",
  };
  for (const char* body : bodies) {
    open_text(std::string(water) + body);
    EXPECT_EQ(n_geometries(), 1) << body;
    open_text(std::string(water) + body + " <END>\n" + water + " <END>\n");
    EXPECT_EQ(n_geometries(), 2) << body;
  }
}

// A geometry with an orbital and a potential grid of 2×2×2 points in two
// blocks, followed by the embedded orbital file.
std::string grid_file() {
  const double values[16] = {0.1, -0.2, 0.3, -0.4, 0.5, -0.6, 0.7, 0.8, 1, 2, 3, 4, 5, 6, 7, 8};
  return std::string(
             "1\nh\nH 0 0 0\n <GRID>\n"
             " N_of_MO=2 N_of_Grids=2 N_of_Points=8 Block_Size=5 N_Blocks=2 Is_cutoff=0 CutOff=3.0 N_P=0\n"
             " N_INDEX= 0 1 0 0 0 1 0\n Net= 2 2 2\n Origin= 0 0 0\n"
             " Axis_1= 1 0 0\n Axis_2= 0 1 0\n Axis_3= 0 0 1\n ORBOFF = 128\n"
             " GridName= Orbital  sym= 1 index=1 Energ=-0.5 occ=2.0 type=i\n"
             " GridName= Electrostatic potential\n <DENSITY>\n") +
         std::string(reinterpret_cast<const char*>(values), sizeof values) +
         " </DENSITY>\n <BASIS>\n </BASIS>\n#INPORB 2.2\n       1       2\n#INDEX\n* 1234567890\n0 is\n"
         " </INPORB>\n </GRID>\n <END>\n";
}

// Coordinates of every size keep the "%15.9f" columns: padded when short,
// whole when wider, a negative zero keeping its sign.
TEST_F(NativeFile, AtomLinesKeepTheirColumnsForAnyCoordinate) {
  open_text("2\nc\nH 0 0 0\nHe 0 0 9\n <END>\n");
  ASSERT_EQ(m->natom(), 2);
  m->xyz[0] = {-0.0, 12345678.5, -1e-10};
  m->xyz[1] = {1e20, 0.1, -42.0000000006};
  EXPECT_EQ(written(),
            "  2\n"
            "File generated by mivor version 0.8.6 beta\n"
            " H     -0.000000000  12345678.500000000     -0.000000000\n"
            " He  100000000000000000000.000000000      0.100000000    -42.000000001\n"
            " <END>\n");
}

// The saved section describes the values it holds: the source's 128 bytes
// copied as they are, in its blocks of 5 points (grid 0 at 0 and 80, grid 1
// at 40 and 104), and the orbital file with the type the user set.
TEST_F(NativeFile, SavedGridSectionKeepsValuesAndChangedOrbitalTypes) {
  open_text(grid_file(), "orbitals.mvr");
  ASSERT_EQ(m->ngrid(), 2);
  m->grid.edit().orb_type[0] = 6;
  m->grid.edit().orb_type_changed[0] = 1;
  const double values[16] = {0.1, -0.2, 0.3, -0.4, 0.5, -0.6, 0.7, 0.8, 1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(written(),
            "  1\n"
            "File generated by mivor version 0.8.6 beta\n"
            " H      0.000000000      0.000000000      0.000000000\n"
            " <GRID>\n"
            " N_of_MO=2 N_of_Grids=2 N_of_Points=8 Block_Size=5 N_Blocks=2 Is_cutoff=0 CutOff=  3.0000 N_P=0\n"
            " N_INDEX= 0 1 0 0 0 1 0\n"
            " Net= 2 2 2\n"
            // The lattice goes back in bohr, as it was read.
            " Origin= 0.000000 0.000000 0.000000\n"
            " Axis_1= 1.000000 0.000000 0.000000\n"
            " Axis_2= 0.000000 1.000000 0.000000\n"
            " Axis_3= 0.000000 0.000000 1.000000\n"
            " ORBOFF = 128\n"
            " GridName= Orbital  sym= 1 index=1 Energ=-0.500000 occ=2.000000 type=s\n"
            " GridName=Electrostatic\n"
            " <DENSITY>\n" +
                std::string(reinterpret_cast<const char*>(values), sizeof values) +
                " </DENSITY>\n"
                " <BASIS>\n"
                " </BASIS>\n"
                "#INPORB 2.2\n"
                "       1       2\n"
                "#INDEX\n"
                "* 1234567890\n"
                "0 ss\n"
                " </INPORB>\n"
                " </GRID>\n"
                " <END>\n");

  // Read back, the grids are listed with the new type and hold the values.
  const std::string saved = dir.file("saved.mvr");
  ASSERT_TRUE(save_zev_file(saved));
  open_file(saved, std::nullopt);
  ASSERT_EQ(m->ngrid(), 2);
  EXPECT_EQ(m->grid.edit().orb_type[0], 6);
  EXPECT_EQ(m->grid.edit().n_points, 8);
  // The current grid is the last: its blocks hold -0.6 … 2 and 6, 7, 8 (above
  // 2 clamped but at the first point).
  EXPECT_EQ(m->grid->grid_values, (grid_values_t{-0.6, 0.7, 0.8, 1, 2, 2, 2, 2}));
}

// An orbital file that claims more than it holds: a symmetry's letters
// beyond its count are dropped (not given to the next symmetry), a symmetry
// without a count keeps the letters of its block, and symmetries beyond the
// eighth are written only as far as the file has blocks for them.
TEST_F(NativeFile, SavedOrbitalFileIsBoundedByWhatItHolds) {
  std::string text = grid_file();
  std::string blocks = "* 1234567890\n0 iiiiiiiiii\n1 ii\n* 1234567890\n0 ss\n";
  for (int s = 3; s <= 9; ++s) blocks += "* 1234567890\n0 u\n";
  text.replace(text.find("       1       2\n"), std::string::npos,
               "99999999       3\n#INDEX\n" + blocks + " </INPORB>\n </GRID>\n <END>\n");
  open_text(text);
  ASSERT_EQ(m->ngrid(), 2);
  m->grid.edit().orb_type[0] = 6;
  m->grid.edit().orb_type_changed[0] = 1;
  const std::string out = written();
  std::string want = "#INPORB 2.2\n99999999       3\n#INDEX\n* 1234567890\n0 sii\n* 1234567890\n0 ss\n";
  for (int s = 3; s <= 9; ++s) want += "* 1234567890\n0 u\n";
  EXPECT_EQ(out.substr(out.find("#INPORB")), want + " </INPORB>\n </GRID>\n <END>\n");
}

TEST_F(NativeFile, GridDataAreSkippedWhenGeometriesAreCounted) {
  open_text(grid_file() + grid_file());
  EXPECT_EQ(n_geometries(), 2);
  EXPECT_EQ(mol[1].ngrid(), 2);
  EXPECT_EQ(mol[1].natom(), 1);

  // A grid named "Density" is a name line, not the start of the data: the
  // data's last bytes (here "<END>") are not read as text.
  std::string density = grid_file();
  density.replace(density.find("GridName= Electrostatic potential"), 33, "GridName= Density");
  const size_t data = density.find(" <DENSITY>\n") + 12;
  density.replace(data, 128, std::string(121, '\x01') + "\n<END>\n");
  open_text(density + grid_file());
  EXPECT_EQ(n_geometries(), 2);
}

}  // namespace

namespace {

// Coordinates are read as the C conversion reads them, however they are
// written: plain decimals, exponents, signs, hexadecimal, words the number
// does not fill, numbers beyond the range of a double, NaN.
TEST_F(NativeFile, CoordinatesReadAsTheCConversionReadsThem) {
  const char* const words[] = {
      "-0.7572", "1.5e-3", "+2.25",  "0x1p3",    "1.5d3", "7,5",   "12abc",
      "1e400",   "-1e400", "1e-330", "4.9e-324", "nan",   "-inf",  "0.1000000000000000055511151231257827",
      "\"3\"",   "-0",     ".5",     "5.",       "1e5x",  "1E+02", "infinity"};
  std::string text = std::to_string(std::size(words)) + "\ncoordinates\n";
  for (const char* w : words) text += std::string("H ") + w + " 0 " + w + "\n";
  open_text(text + " <END>\n");
  ASSERT_EQ(m->natom(), static_cast<int>(std::size(words)));
  for (size_t i = 0; i < std::size(words); ++i) {
    const double want = std::strtod(words[i], nullptr);
    for (int c : {0, 2}) {
      const double got = m->xyz[i][static_cast<size_t>(c)];
      if (std::isnan(want))
        EXPECT_TRUE(std::isnan(got)) << words[i];
      else
        EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << words[i] << ": " << got << " against " << want;
    }
  }
}

}  // namespace
