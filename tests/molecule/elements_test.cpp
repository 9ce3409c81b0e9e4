#include "molecule/elements.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "app/config_dir.h"
#include "app/config_files.h"
#include "formats/element_table_file.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class Elements : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    rcdir = dir.path();
  }
  void TearDown() override { reset_core_state(); }

  // Loads the table with stdout captured; returns what was printed.
  std::string load() {
    testing::internal::CaptureStdout();
    load_atom_data();
    return testing::internal::GetCapturedStdout();
  }

  std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  TempDir dir;
};

const char header[] =
    "# Configuration file with atom settings\n"
    "# Atom Name, color(3), Atom size, Bond size, Max valency, periodic system coord x, periodic system coord y, "
    "default atoms\n"
    "# Atom name can NOT be altered!\n"
    "#\n"
    "#\n";

TEST_F(Elements, BuiltInTableHas112RecordsAndAnEmptyClosingRecord) {
  const auto& t = e_default_table();
  ASSERT_EQ(t.size(), 113u);
  EXPECT_EQ(t[0].name, " ");
  EXPECT_EQ(t[1].name, "H");
  EXPECT_EQ(t[20].name, "CL");
  EXPECT_EQ(t[57].name, "Xe");
  EXPECT_EQ(t[107].name, "??");
  EXPECT_EQ(t[111].name, "q");
  EXPECT_TRUE(t[112].name.empty());
  EXPECT_EQ(t[112].valency, 0);
  EXPECT_EQ(t[112].bond_size, 0.0f);
  EXPECT_EQ(t[9].bond_size, 0.77f);
  EXPECT_EQ(t[110].valency, 0);
  EXPECT_EQ(t[110].table_y, 11);
  for (size_t k = 0; k < 112; ++k) EXPECT_EQ(t[k].color.alpha, 0.0f) << k;
}

TEST_F(Elements, MissingFileIsWrittenFromTheBuiltInTableByteForByte) {
  EXPECT_EQ(load(), "writing atom data in |" + dir.file("atoms.rc") + "|\n");
  EXPECT_EQ(number_of_elements(), 112);
  EXPECT_EQ(def_elem, (std::vector<int>{1, 9, 10, 11, 12, 19, 20}));

  const std::string text = read_file(dir.file("atoms.rc"));
  ASSERT_EQ(text.substr(0, sizeof header - 1), header);
  const auto lines = lines_of(text);
  ASSERT_EQ(lines.size(), 5u + 112u);
  EXPECT_EQ(lines[5 + 0], "\" \"   0.000   0.000   0.000   0.320   1.100    6    0    0    0");
  EXPECT_EQ(lines[5 + 1], "\"H\"   0.950   0.950   0.950   0.320   0.370    1    0    0    1");
  EXPECT_EQ(lines[5 + 5], "\"He\"   0.851   1.000   1.000   0.414   0.320    8   17    0    0");
  EXPECT_EQ(lines[5 + 9], "\"C\"   0.333   0.333   0.333   0.526   0.770    4   13    1    1");
  EXPECT_EQ(lines[5 + 20], "\"CL\"   0.220   0.710   0.220   0.683   0.990    1   16    2    1");
  EXPECT_EQ(lines[5 + 57], "\"Xe\"   0.259   0.620   0.690   0.973   1.300    8   17    4    0");
  EXPECT_EQ(lines[5 + 107], "\"??\"   0.000   1.000   1.000   0.100   1.000    6    2   11    0");
  EXPECT_EQ(lines[5 + 111], "\"q\"   1.000   0.000   0.000   0.100   0.100    0    6   11    0");
  int defaults = 0;
  for (size_t k = 5; k < lines.size(); ++k) defaults += lines[k].back() == '1';
  EXPECT_EQ(defaults, 7);
}

TEST_F(Elements, WrittenTableReadsBackUnchanged) {
  load();
  const std::vector<element_t> written = e;
  e.clear();
  EXPECT_EQ(load(), "");  // the file exists now: nothing is written
  ASSERT_EQ(e.size(), written.size());
  for (size_t k = 0; k < e.size(); ++k) {
    EXPECT_EQ(e[k].name, written[k].name);
    EXPECT_EQ(e[k].color, written[k].color);
    EXPECT_EQ(e[k].size, written[k].size);
    EXPECT_EQ(e[k].bond_size, written[k].bond_size);
    EXPECT_EQ(e[k].valency, written[k].valency);
    EXPECT_EQ(e[k].table_x, written[k].table_x);
    EXPECT_EQ(e[k].table_y, written[k].table_y);
  }
  EXPECT_EQ(def_elem, builtin_def_elem);
}

TEST_F(Elements, UserFileReplacesTheTableLineByLine) {
  dir.write("atoms.rc",
            "# my table\n"
            "\n"
            "\"H\"   0.950   0.950   0.950   0.320   0.370    1    0    0    1\n"
            "#\"Xe\"   0.259   0.620   0.690   9.999   1.300    8   17    4    0\n"
            "\"Xe\"   0.259   0.620   0.690   1.300   1.300    8   17    4    1\n"
            "\"C\" 0.5 0.6\n"
            "abc\n");
  load();
  ASSERT_EQ(number_of_elements(), 3);
  EXPECT_EQ(e[1].name, "Xe");
  EXPECT_FLOAT_EQ(e[1].size, 1.3f);
  EXPECT_EQ(e[1].table_x, 17);
  EXPECT_EQ(def_elem, (std::vector<int>{0, 1}));
  // The numbers start at position 5, inside "0.5": red .5, green .6, the
  // fields not read stay zero.
  EXPECT_EQ(e[2].name, "C");
  EXPECT_EQ(e[2].color.red, 0.5f);
  EXPECT_EQ(e[2].color.green, 0.6f);
  EXPECT_EQ(e[2].color.blue, 0.0f);
  EXPECT_EQ(e[2].valency, 0);
}

TEST_F(Elements, SaveWritesTheTableInUseButMarksOnlyTheBuiltInDefaults) {
  load();
  e[57].size = 1.3f;
  def_elem = {57};
  testing::internal::CaptureStdout();
  save_atom_data();
  testing::internal::GetCapturedStdout();
  const auto lines = lines_of(read_file(dir.file("atoms.rc")));
  EXPECT_EQ(lines[5 + 57], "\"Xe\"   0.259   0.620   0.690   1.300   1.300    8   17    4    0");
  EXPECT_EQ(lines[5 + 1].back(), '1');
}

TEST_F(Elements, DamagedFilesNeverCrashTheReader) {
  std::mt19937 rng(12345);
  const std::string good = "\"Xe\"   0.259   0.620   0.690   1.300   1.300    8   17    4    1\n";
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int lines = static_cast<int>(rng() % 8);
    for (int l = 0; l < lines; ++l) {
      switch (rng() % 7) {
        case 0:
          text += good;
          break;
        case 1:
          text += good.substr(0, rng() % good.size()) + "\n";
          break;
        case 2:
          text += "\"" + std::string(rng() % 5000, '9') + "\n";
          break;
        case 3:
          for (int k = rng() % 64; k > 0; --k) text.push_back(static_cast<char>(rng() % 256));
          break;
        case 4:
          text += "\"Ab\" 1e999 -1e999 nan inf 1e40 99999999999999 -99999999999 4 1\n";
          break;
        case 5:
          text += "\"\"\"\"\"\"\n";
          break;
        default:
          text += "\"X\n";
          break;
      }
    }
    dir.write("atoms.rc", text);
    load();
    new_mol(1);
    allocate_atoms(*m, 1);
    set_atom_symbol(*m, 0, "Xe");
  }
  dir.write("atoms.rc", "");
  load();
  EXPECT_EQ(number_of_elements(), 0);
}

TEST_F(Elements, AtomsTakeElementDataBySymbolIgnoringCase) {
  load();
  new_mol(1);
  allocate_atoms(*m, 3);
  set_atom_symbol(*m, 0, "cl");
  set_atom_symbol(*m, 1, "Zz");
  set_atom_symbol(*m, 2, "q");
  m->atoms.edit().kinds[m->atoms->kind[0]].color.alpha = 0.5f;
  for (int i = 0; i < 3; ++i) set_element_data(*m, i);
  set_element_data(*m, 3);  // no such atom: nothing happens
  set_element_data(*m, -1);

  EXPECT_EQ(atom_element(*m, 0).name, "cl");  // the symbol stays as read
  EXPECT_EQ(atom_element(*m, 0).color.green, 0.710f);
  EXPECT_EQ(atom_element(*m, 0).color.alpha, 0.5f);  // the fourth component is not copied
  EXPECT_EQ(atom_element(*m, 0).bond_size, 0.990f);
  EXPECT_EQ(atom_element(*m, 0).valency, 1);
  EXPECT_EQ(atom_element(*m, 0).table_x, 16);

  EXPECT_EQ(atom_element(*m, 1).size, 0.0f);  // unknown: all zeros
  EXPECT_EQ(atom_element(*m, 1).valency, 0);
  EXPECT_EQ(atom_element(*m, 1).color.red, 0.0f);

  // "q" matches the point charge "q" before "Q" only because "Q" comes first
  // and compares equal ignoring case: first match wins.
  EXPECT_EQ(atom_element(*m, 2).color.blue, 1.0f);
  EXPECT_EQ(atom_element(*m, 2).color.red, 0.0f);
  EXPECT_EQ(find_element("Q"), 110);
  EXPECT_EQ(find_element("q"), 110);
  EXPECT_EQ(find_element("nope"), -1);
}

}  // namespace
