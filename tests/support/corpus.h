// The regression corpus of damaged, huge and strange files, written by
// tests/corpus/make_corpus.py, and mivor-cli run on it as a script would run
// it, with the budgets every case must keep.
#pragma once

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

// Built with the sanitizers: huge files are made smaller and the time and
// memory budgets are not checked (the sanitizers multiply both).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized_build = true;
#else
constexpr bool sanitized_build = false;
#endif

// What every case of the corpus must keep in the normal build: processor
// time of the program and its largest resident set.
constexpr double corpus_cpu_seconds = 5.0;
constexpr long corpus_peak_kb = 500 * 1024;

class CorpusFiles {
 public:
  CorpusFiles();
  // Writes the named corpus files (all of them when none is named) into the
  // folder and returns the folder; the huge ones small when asked (and
  // always in the sanitizer build).
  const std::string& make(const std::vector<std::string>& names = {}, bool small = sanitized_build);
  std::string file(const std::string& name) const { return dir_.file(name); }
  const TempDir& dir() const { return dir_; }

  // mivor-cli with `args`, in the folder, with a configuration of its own
  // and the memory the corpus allows it.
  program_result cli(const std::vector<std::string>& args) const;

 private:
  TempDir dir_;
  std::string config_;
};

// Checks the budgets of the normal build on what a run used.
void expect_within_budget(const program_result& r, const std::string& what);
