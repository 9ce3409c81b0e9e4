// layering_check [--includes | --types] SRC_DIR: prints every include that
// breaks the layer order of the source tree (--includes), every type name
// defined in two layers (--types), or both (neither option), and exits 1, or
// exits 0 silently when there is none.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "layering.h"
#include "type_definitions.h"

int main(int argc, char** argv) {
  const std::string option = argc == 3 ? argv[1] : "";
  if ((argc != 2 && argc != 3) || (argc == 3 && option != "--includes" && option != "--types")) {
    std::cerr << "usage: layering_check [--includes | --types] SRC_DIR\n";
    return 2;
  }
  const char* const src = argv[argc - 1];
  std::error_code ec;
  if (!std::filesystem::is_directory(src, ec)) {
    std::cerr << "layering: " << src << " is not a directory\n";
    return 2;
  }
  try {
    std::vector<std::string> problems;
    if (option != "--types") problems = check_layering(src);
    if (option != "--includes")
      for (std::string& p : check_type_definitions(src)) problems.push_back(std::move(p));
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
