// Checks that the sources under src/ include each other only downward through
// the layers of the program, and that no two units include each other in a circle.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Reads every source file under `src_root` and returns one line per problem,
// naming the files or units concerned relative to `src_root`; sorted, and
// empty when the tree follows the layers. Throws std::filesystem::filesystem_error
// when the tree cannot be walked.
std::vector<std::string> check_layering(const std::filesystem::path& src_root);

// The text with its comments blanked out and its line breaks kept, so that a
// scan of the code finds nothing in a comment and still knows each line.
std::string without_comments(const std::string& text);

// The same, with the contents of string and character literals blanked too
// (their quotes kept), for scans of the code that must not see into them.
std::string code_only(const std::string& text);

// The rank of a folder of the sources (as "render/gl") in the layer order:
// a folder may use its own and those of a lower rank; nullopt for a folder
// outside the order.
std::optional<int> folder_rank(const std::string& folder);
