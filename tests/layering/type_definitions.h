// Checks that no type name is defined in two layers of the sources: a layer
// uses the type of the layer below it rather than defining its own of the
// same name, and two local helpers of different layers get names that tell
// them apart.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct TypeDefinition {
  std::string name;
  int line;
};

// The types that the source `text` defines at namespace level (the global
// namespace, named and anonymous namespaces, extern "C" blocks), in order:
// struct, class and union definitions with a body, enums with their
// enumerators, `using X = …;` and `typedef … X;`. Forward declarations,
// specialisations (`struct hash<T> {`) and types inside classes or
// functions are not counted.
std::vector<TypeDefinition> type_definitions(const std::string& text);

// Reads every .h and .cpp file under `src_root` and returns one line for each
// pair of files in different layers (folders) defining the same type name,
// "LOWER/FILE:LINE: NAME is also defined in HIGHER/FILE:LINE", the file of
// the lower layer first; sorted, and empty when each name has one layer.
std::vector<std::string> check_type_definitions(const std::filesystem::path& src_root);
