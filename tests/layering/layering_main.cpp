// layering_check SRC_DIR: prints every include that breaks the layer order of
// the source tree and exits 1, or exits 0 silently when there is none.
#include <exception>
#include <filesystem>
#include <iostream>

#include "layering.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: layering_check SRC_DIR\n";
    return 2;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(argv[1], ec)) {
    std::cerr << "layering: " << argv[1] << " is not a directory\n";
    return 2;
  }
  try {
    const std::vector<std::string> problems = check_layering(argv[1]);
    if (problems.empty()) return 0;
    for (const std::string& problem : problems) std::cerr << problem << '\n';
    std::cerr << "layering: " << problems.size() << " problems\n";
    return 1;
  } catch (const std::exception& e) {
    // An unreadable folder leaves the check undone, which is not a verdict on the layers.
    std::cerr << "layering: " << e.what() << '\n';
    return 2;
  }
}
