// Tests of the type-name check: which declarations of a file define a type at
// namespace level, and which pairs of files of a made-up tree it names.
#include "type_definitions.h"

#include <gtest/gtest.h>

#include <utility>

#include "temp_tree.h"

namespace {

std::vector<std::pair<std::string, int>> names_and_lines(const std::string& text) {
  std::vector<std::pair<std::string, int>> found;
  for (const TypeDefinition& d : type_definitions(text)) found.emplace_back(d.name, d.line);
  return found;
}

TEST(TypeDefinitions, CountsDefinitionsAtNamespaceLevelOnly) {
  const std::string text =
      "#pragma once\n"
      "#define MAKE(x) struct x { \\\n int v; };\n"                      // 2-3: a macro
      "struct point_t;\n"                                                // 4: declared only
      "struct point_t {\n"                                               // 5
      "  struct inner_t { int a; };\n"                                   // 6: a member
      "  using value_type = double;\n"                                   // 7: a member
      "  friend struct other_t;\n"                                       // 8
      "};\n"                                                             // 9
      "namespace {\n"                                                    // 10
      "enum class Colour : unsigned char { red };\n"                     // 11
      "class Row final : public Base<int, 2> {\n"                        // 12
      "};\n"                                                             // 13
      "using run_t = std::function<void(int)>;\n"                        // 14
      "}  // namespace\n"                                                // 15
      "namespace key::detail {\n"                                        // 16
      "template <typename T, class U = std::vector<T>>\n"                // 17
      "struct box_t : U {};\n"                                           // 18
      "template <>\n"                                                    // 19
      "struct hash<point_t> { int n; };\n"                               // 20: a specialisation
      "}\n"                                                              // 21
      "extern \"C\" {\n"                                                 // 22
      "union word_t { int i; float f; };\n"                              // 23
      "}\n"                                                              // 24
      "typedef unsigned long size_type;\n"                               // 25
      "struct point_t make_point() { struct local_t {}; return {}; }\n"  // 26: in a function
      "const char* text = \"struct fake_t { }; {\";\n"                   // 27: in a literal
      "const char* raw = R\"(struct raw_t {\n"                           // 28
      "\" {)\";\n"                                                       // 29
      "enum { kAnonymous = 1 };\n"                                       // 30
      "static struct { int n; } state;\n"                                // 31
      "void f() { using local_alias = int; enum e_t { a }; }\n"          // 32
      "// struct commented_t {};\n"                                      // 33
      "/* class block_t {}; */ enum Plain { one, two };\n"               // 34
      "struct [[nodiscard]] marked_t {};\n"                              // 35
      "template <typename T> using list_t = std::vector<T>;\n";          // 36
  EXPECT_EQ(names_and_lines(text), (std::vector<std::pair<std::string, int>>{
                                       {"point_t", 5},
                                       {"Colour", 11},
                                       {"Row", 12},
                                       {"run_t", 14},
                                       {"box_t", 18},
                                       {"word_t", 23},
                                       {"size_type", 25},
                                       {"Plain", 34},
                                       {"marked_t", 35},
                                       {"list_t", 36},
                                   }));
}

// Each pair of files in two layers is named once, the lower layer first;
// render and render/gl are two layers; two files of one layer are not named.
TEST(TypeDefinitions, NamesEachPairOfFilesInTwoLayers) {
  TempTree tree;
  tree.write("render/isosurface.cpp", "namespace {\nstruct lattice_t {\n};\n}  // namespace\n");
  tree.write("convert/native_out.h", "#pragma once\nstruct lattice_t { int n; };\nusing run_t = int;\n");
  tree.write("convert/other.cpp", "struct lattice_t {};\n");
  tree.write("ui/main.cpp", "enum class run_t { once };\n");
  tree.write("render/view.cpp", "namespace { struct state_t {}; }\n");
  tree.write("render/gl/state.cpp", "namespace {\nstruct state_t {};\n}\n");
  tree.write("edit/a.cpp", "struct row_t {};\n");
  tree.write("edit/b.cpp", "struct row_t {};\n");
  tree.write("app/notes.txt", "struct row_t {};\n");
  EXPECT_EQ(check_type_definitions(tree.src()), (std::vector<std::string>{
                                                    "convert/native_out.h:3: run_t is also defined in ui/main.cpp:1",
                                                    "render/isosurface.cpp:2: lattice_t is also defined in "
                                                    "convert/native_out.h:2",
                                                    "render/isosurface.cpp:2: lattice_t is also defined in "
                                                    "convert/other.cpp:1",
                                                    "render/view.cpp:1: state_t is also defined in "
                                                    "render/gl/state.cpp:2",
                                                }));
}

}  // namespace
