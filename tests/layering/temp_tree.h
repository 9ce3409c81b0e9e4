// A fresh temporary folder holding a fake src/ for the checks' tests,
// removed with everything in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

class TempTree {
 public:
  TempTree() {
    std::string name = (std::filesystem::temp_directory_path() / "layering-XXXXXX").string();
    if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = name;
  }
  ~TempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  std::filesystem::path src() const { return dir_ / "src"; }
  std::filesystem::path outside(const std::string& name) const { return dir_ / name; }
  void write(const std::string& path, const std::string& text) const {
    std::filesystem::create_directories((src() / path).parent_path());
    std::ofstream(src() / path) << text;
  }

 private:
  std::filesystem::path dir_;
};
