#include "support/corpus.h"

#include <gtest/gtest.h>

CorpusFiles::CorpusFiles() {
  config_ = dir_.subdir("config");
  dir_.write("config/mivor.rc", "Auto rebond = 0\n");
}

const std::string& CorpusFiles::make(const std::vector<std::string>& names, bool small) {
  std::vector<std::string> args = {"/usr/bin/env", "python3",
                                   std::string(MIVOR_SOURCE_DIR) + "/tests/corpus/make_corpus.py", dir_.path()};
  if (small || sanitized_build) args.push_back("--small");
  args.insert(args.end(), names.begin(), names.end());
  const program_result r = run_program(args, {}, dir_.path());
  EXPECT_EQ(r.status, 0) << r.err;
  return dir_.path();
}

program_result CorpusFiles::cli(const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {MIVOR_CLI_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  return run_program(argv, {{"MIVOR_DIR", config_}, {"HOME", dir_.subdir("home")}, {"MIVOR_MEMORY_LIMIT", "500M"}},
                     dir_.path());
}

void expect_within_budget(const program_result& r, const std::string& what) {
  if (sanitized_build) return;
  EXPECT_LE(r.cpu_seconds, corpus_cpu_seconds) << what;
  EXPECT_LE(r.peak_rss_kb, corpus_peak_kb) << what;
}
