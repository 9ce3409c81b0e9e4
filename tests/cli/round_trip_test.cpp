// Saving and reading again: every example and every file of the regression
// corpus that opens, saved three times in a row, gives byte-identical second
// and third files, and what mivor-cli reads from the first save is what it
// read from the original, except what the format does not keep.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/corpus.h"

namespace {

using nlohmann::json;

// What the format does not keep: energies, gradients and the editable flag,
// grid values and their layout; and the file name and messages of a read.
void drop_what_is_not_kept(json& j) {
  if (j.is_object()) {
    for (const char* key : {"file", "messages", "energy", "rms_grad", "max_grad", "editable", "n_points", "net",
                            "block_size", "n_blocks", "grid_data_start", "grid_data_size", "current"})
      j.erase(key);
    // The atom block always carries colours: a save says they were given.
    if (j.contains("flags")) j["flags"] = j["flags"].get<int>() & ~(0x100 | 0x200 | 0x400 | 0x1000);
  }
  if (j.is_structured())
    for (json& item : j) drop_what_is_not_kept(item);
}

// Equal as the format writes numbers: to six decimals.
void expect_same(const json& a, const json& b, const std::string& where) {
  if (a.is_number() && b.is_number()) {
    const double x = a.get<double>(), y = b.get<double>();
    EXPECT_LE(std::fabs(x - y), 1e-6 * std::max(1.0, std::fabs(x))) << where;
    return;
  }
  ASSERT_EQ(a.type(), b.type()) << where;
  ASSERT_EQ(a.size(), b.size()) << where;
  if (a.is_object()) {
    for (auto it = a.begin(); it != a.end(); ++it) {
      ASSERT_TRUE(b.contains(it.key())) << where << "/" << it.key();
      expect_same(it.value(), b[it.key()], where + "/" + it.key());
    }
  } else if (a.is_array()) {
    for (size_t i = 0; i < a.size(); ++i) expect_same(a[i], b[i], where + "/" + std::to_string(i));
  } else {
    EXPECT_EQ(a, b) << where;
  }
}

TEST(RoundTrip, ExamplesAndCorpusKeepWhatTheFormatKeeps) {
  CorpusFiles corpus;
  corpus.make({}, true);
  for (const auto& entry : std::filesystem::directory_iterator(std::string(MIVOR_SOURCE_DIR) + "/examples"))
    std::filesystem::copy_file(entry.path(), corpus.file(entry.path().filename().string()));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(corpus.dir().path()))
    if (entry.path().extension() == ".mvr") names.push_back(entry.path().filename().string());
  ASSERT_GE(names.size(), 24u);

  for (const std::string& name : names) {
    // The huge files of the corpus are compared by what they hold, counted.
    const bool huge = name == "end_lines.mvr" || name == "atom_lines.mvr" || name == "bonds_many.mvr";
    const auto info = [&](const std::string& file) {
      std::vector<std::string> args = {"info", file};
      if (huge) args.push_back("--summary");
      const program_result r = corpus.cli(args);
      EXPECT_EQ(r.status, 0) << file << ": " << r.err;
      json doc = r.status == 0 ? json::parse(r.out) : json();
      drop_what_is_not_kept(doc);
      return doc;
    };
    const std::string stem = corpus.file("saved-" + name.substr(0, name.size() - 4));
    std::string from = corpus.file(name);
    for (int k = 1; k <= 3; ++k) {
      const std::string to = stem + "-" + std::to_string(k) + ".mvr";
      const program_result r = corpus.cli({"convert", from, to});
      ASSERT_EQ(r.status, 0) << name << " save " << k << ": " << r.err;
      from = to;
    }
    EXPECT_EQ(read_file(stem + "-2.mvr"), read_file(stem + "-3.mvr")) << name;
    const json read = info(corpus.file(name)), saved = info(stem + "-1.mvr"), again = info(stem + "-2.mvr");
    expect_same(read, saved, name);
    EXPECT_EQ(saved, again) << name;
  }
}

}  // namespace
