// Memory in proportion to what a file holds: a geometry of 10 million atoms
// and a trajectory of 100,000 geometries, opened by mivor-cli, stay within
// stated bytes per atom and per geometry beyond what the program takes for
// a small file. Checked in the normal build (the sanitizers add their own).
#include <gtest/gtest.h>

#include <cstdio>

#include "support/corpus.h"

namespace {

// The largest resident set beyond the program's own, for every atom: the
// coordinates (24 bytes) and the atom's kind (4); nothing else is kept per
// atom and nothing is held twice while reading.
constexpr double bytes_per_atom = 29;
// For every geometry of three atoms: the record (208 bytes), its atoms'
// coordinates and kinds, one copy of the element data per symbol, its two
// bonds and its place in the file.
constexpr double bytes_per_water_geometry = 800;

// Writes `count` copies of `piece` after `head`.
std::string write_repeated(const TempDir& dir, const std::string& name, const std::string& head,
                           const std::string& piece, long count) {
  const std::string path = dir.file(name);
  FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr);
  if (!f) return path;
  std::fputs(head.c_str(), f);
  std::string block;
  for (int k = 0; k < 4096; ++k) block += piece;
  for (long written = 0; written < count; written += 4096)
    std::fwrite(block.data(), 1, piece.size() * static_cast<size_t>(std::min<long>(4096, count - written)), f);
  std::fclose(f);
  return path;
}

long peak_kb_of_summary(const CorpusFiles& corpus, const std::string& file) {
  const program_result r = corpus.cli({"info", file, "--summary", "--geometry", "0"});
  EXPECT_EQ(r.status, 0) << r.err;
  return r.peak_rss_kb;
}

TEST(MemoryBudget, BytesPerAtomAndPerGeometryAreProportionate) {
  if (sanitized_build) GTEST_SKIP() << "the sanitizers' own memory hides the program's";
  CorpusFiles corpus;
  const TempDir& dir = corpus.dir();
  const long base = peak_kb_of_summary(corpus, dir.write("water.mvr", "1\nh\nH 0 0 0\n <END>\n"));

  const long atoms = 10000000;
  write_repeated(dir, "atoms.mvr", std::to_string(atoms) + "\nten million atoms\n", "C 1.5 -2.25 3\n", atoms);
  const long atom_kb = peak_kb_of_summary(corpus, "atoms.mvr") - base;
  EXPECT_LE(atom_kb * 1024.0 / atoms, bytes_per_atom);

  const long geometries = 100000;
  write_repeated(dir, "trajectory.mvr", "",
                 "3\nwater\nO 0.0 0.0 0.1173\nH 0.0 0.7572 -0.4692\nH 0.0 -0.7572 -0.4692\n <END>\n", geometries);
  const long trajectory_kb = peak_kb_of_summary(corpus, "trajectory.mvr") - base;
  EXPECT_LE(trajectory_kb * 1024.0 / geometries, bytes_per_water_geometry);
  std::printf("peak beyond a small file: %.1f bytes per atom, %.0f bytes per geometry of three atoms\n",
              atom_kb * 1024.0 / atoms, trajectory_kb * 1024.0 / geometries);
}

}  // namespace
