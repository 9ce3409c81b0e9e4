// callback_check SRC_DIR: prints every callback under SRC_DIR handed to GLib
// or the toolkit without the memory guard and exits 1, or exits 0 silently.
#include <exception>
#include <filesystem>
#include <iostream>

#include "callbacks.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: callback_check SRC_DIR\n";
    return 2;
  }
  try {
    const std::vector<std::string> problems = check_callbacks(argv[1]);
    for (const std::string& problem : problems) std::cerr << problem << '\n';
    if (problems.empty()) return 0;
    std::cerr << "callbacks: " << problems.size() << " handed to GLib or the toolkit without guarded<…>\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "callbacks: " << e.what() << '\n';
    return 2;
  }
}
