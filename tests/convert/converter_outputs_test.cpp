// Every converter on the fixtures, against fingerprints of what the
// converters wrote before their output model moved onto the program's
// records (tests/data/convert/outputs.txt, made by record_outputs.py from
// those outputs): the text byte for byte, the grid values bit for bit or,
// where the evaluation may round differently in the last bits, their sums.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "convert/convert_support.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

struct fingerprint_t {
  uint64_t text = 0, exact = 0;
  long long values = 0;
  double sum = 0, squares = 0;
};

uint64_t fnv1a(const std::string& data) {
  uint64_t h = 0xCBF29CE484222325ULL;
  for (unsigned char b : data) h = (h ^ b) * 0x100000001B3ULL;
  return h;
}

// The text of a native file without its grid values, and the values.
void split_native(const std::string& file, std::string& text, std::string& values) {
  size_t pos = 0;
  for (;;) {
    const size_t density = file.find("<DENSITY>\n", pos);
    if (density == std::string::npos) break;
    const size_t orboff = file.rfind("ORBOFF = ", density);
    const long long n = orboff != std::string::npos && orboff >= pos ? std::atoll(file.c_str() + orboff + 9) : 0;
    const size_t start = density + 10;
    text += file.substr(pos, start - pos);
    values += file.substr(start, static_cast<size_t>(n));
    pos = std::min(file.size(), start + static_cast<size_t>(n));
  }
  text += file.substr(pos);
}

fingerprint_t fingerprint(const std::string& name, std::string file) {
  std::string values;
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mvr") == 0) {
    std::string text;
    split_native(file, text, values);
    file = text;
  } else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".sdf") == 0) {
    file = std::regex_replace(file, std::regex("OpenBabel[0-9]{10}"), "OpenBabel");
  }
  fingerprint_t f;
  f.text = fnv1a(file);
  f.exact = fnv1a(values);
  f.values = static_cast<long long>(values.size() / 8);
  for (long long k = 0; k < f.values; ++k) {
    double v;
    std::memcpy(&v, values.data() + 8 * k, 8);
    f.sum += v;
    f.squares += v * v;
  }
  return f;
}

std::map<std::string, fingerprint_t> expected_fingerprints() {
  std::map<std::string, fingerprint_t> out;
  std::ifstream in(fixture("outputs.txt"));
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string name, text, values, sum, squares, exact;
    words >> name >> text >> values >> sum >> squares >> exact;
    fingerprint_t f;
    f.text = std::stoull(text.substr(5), nullptr, 16);
    f.values = std::stoll(values.substr(7));
    f.sum = std::stod(sum.substr(4));
    f.squares = std::stod(squares.substr(8));
    f.exact = std::stoull(exact.substr(6), nullptr, 16);
    out[name] = f;
  }
  return out;
}

struct case_t {
  std::string program;
  std::vector<std::string> args;  // the input file last
  std::string made;               // the file it writes
  std::string name;               // its name in the fingerprints
};

std::vector<case_t> cases() {
  std::vector<case_t> c;
  for (const char* f : {"h2co", "h2co_cart", "hf_g", "hf_g_cart", "nh2_uhf", "o2_uhf"})
    c.push_back(
        {"molden2mvr", {std::string(f) + ".molden"}, std::string(f) + ".mvr", std::string("molden_") + f + ".mvr"});
  c.push_back({"molden2mvr", {"--density", "h2co.molden"}, "h2co.mvr", "molden_density.mvr"});
  c.push_back({"molden2mvr", {"--all", "--spacing", "0.35", "nh2_uhf.molden"}, "nh2_uhf.mvr", "molden_all.mvr"});
  c.push_back({"molden2mvr", {"--like", "h2co_a_8.cube", "h2co.molden"}, "h2co.mvr", "molden_like.mvr"});
  c.push_back({"molden2mvr", {"--net", "30", "--margin", "3", "hf_g.molden"}, "hf_g.mvr", "molden_net.mvr"});
  for (const char* f : {"h2co_a_8", "h2co_a_9", "h2co_cart_a_8", "h2co_density", "hf_g_a_22", "nh2_uhf_b_4"})
    c.push_back({"cube2mvr", {std::string(f) + ".cube"}, std::string(f) + ".mvr", std::string("cube_") + f + ".mvr"});
  c.push_back({"cube2mvr", {"--epot", "h2co_a_9.cube", "h2co_density.cube"}, "h2co_density.mvr", "cube_epot.mvr"});
  for (const char* e : {"mol2", "pdb", "sdf"})
    c.push_back(
        {std::string(e) + "2mvr", {std::string("ethanol.") + e}, "ethanol.mvr", std::string("babel_") + e + ".mvr"});
  c.push_back({"qc2mvr", {"h2o_nwchem.out"}, "h2o_nwchem.mvr", "babel_qc.mvr"});
  c.push_back({"xyz2mvr", {"traj.xyz"}, "traj.mvr", "xyz.mvr"});
  for (const char* f : {"vibrations", "trajectory", "water", "decorations"})
    for (const char* e : {"xyz", "pdb", "mol2", "sdf"})
      c.push_back({std::string("mvr2") + e,
                   {std::string(f) + ".mvr"},
                   std::string(f) + "." + e,
                   std::string("back_") + f + "." + e});
  // Native files the converters wrote, converted back.
  for (const char* e : {"xyz", "pdb", "mol2"})
    c.push_back({std::string("mvr2") + e, {"conv.mvr"}, std::string("conv.") + e, std::string("back_conv.") + e});
  for (const char* e : {"xyz", "sdf", "mol2"})
    c.push_back({std::string("mvr2") + e, {"bab.mvr"}, std::string("bab.") + e, std::string("back_bab.") + e});
  return c;
}

// A short optimisation with energies in its comments, and a frame whose
// comment is a bare number.
std::string trajectory_xyz() {
  std::string text;
  for (int k = 0; k < 5; ++k) {
    char z[16];
    std::snprintf(z, sizeof z, "%.4f", 0.1 * k);
    char energy[16];
    std::snprintf(energy, sizeof energy, "%04d", k);
    text += "3\nenergy= -76." + std::string(energy) + "  step " + std::to_string(k) + "\n";
    text += "O 0.0 0.0 " + std::string(z) + "\nH 0.757 0.586 0.0\nH -0.757 0.586 0.0\n";
  }
  return text + "2\n -1.5 \nCl 0 0 0\nC1 0 0 1.7\n";
}

TEST(ConverterOutputs, EveryFixtureConvertsAsItAlwaysDid) {
  const std::map<std::string, fingerprint_t> expected = expected_fingerprints();
  ASSERT_EQ(expected.size(), 44u);
  TempDir dir;
  for (const char* f :
       {"h2co.molden", "h2co_cart.molden", "hf_g.molden", "hf_g_cart.molden", "nh2_uhf.molden", "o2_uhf.molden",
        "h2co_a_8.cube", "h2co_a_9.cube", "h2co_cart_a_8.cube", "h2co_density.cube", "hf_g_a_22.cube",
        "nh2_uhf_b_4.cube", "ethanol.mol2", "ethanol.pdb", "ethanol.sdf", "h2o_nwchem.out"})
    dir.write(f, read_file(fixture(f)));
  for (const char* f : {"vibrations", "trajectory", "water", "decorations"})
    dir.write(std::string(f) + ".mvr", read_file(std::string(MIVOR_SOURCE_DIR) + "/examples/" + f + ".mvr"));
  dir.write("traj.xyz", trajectory_xyz());
  for (const case_t& c : cases()) {
    if (c.name.rfind("back_conv", 0) == 0) dir.write("conv.mvr", read_file(dir.file("molden_h2co.mvr")));
    if (c.name.rfind("back_bab", 0) == 0) dir.write("bab.mvr", read_file(dir.file("babel_mol2.mvr")));
    std::vector<std::string> argv{std::string(MIVOR_CONVERTER_DIR) + "/" + c.program};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const program_result r = run_program(argv, {{"OPENBLAS_NUM_THREADS", "1"}}, dir.path());
    ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
    const std::string made = read_file(dir.file(c.made));
    std::remove(dir.file(c.made).c_str());
    dir.write(c.name, made);
    const auto it = expected.find(c.name);
    ASSERT_NE(it, expected.end()) << c.name;
    const fingerprint_t got = fingerprint(c.name, made), want = it->second;
    EXPECT_EQ(got.text, want.text) << c.name << ": the text differs";
    ASSERT_EQ(got.values, want.values) << c.name;
    if (got.exact == want.exact) continue;
    // Evaluated orbitals: the same to the rounding of their last bits.
    EXPECT_NEAR(got.sum, want.sum, 1e-12 * std::max(1.0, std::fabs(want.sum))) << c.name;
    EXPECT_NEAR(got.squares, want.squares, 1e-12 * std::max(1.0, want.squares)) << c.name;
    EXPECT_EQ(c.program, "molden2mvr") << c.name << ": values copied from the input must stay bit for bit";
  }
}

}  // namespace
