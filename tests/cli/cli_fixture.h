// Tests that run mivor-cli as a script would: a configuration directory of
// their own (automatic rebonding off), a home and a working folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    config = dir.subdir("config");
    dir.write("config/mivor.rc", "Auto rebond = 0\n");
  }

  program_result run(std::vector<std::string> args) {
    args.insert(args.begin(), MIVOR_CLI_BINARY);
    return run_program(args, {{"MIVOR_DIR", config}, {"HOME", dir.subdir("home")}}, dir.path());
  }

  TempDir dir;
  std::string config;
};
