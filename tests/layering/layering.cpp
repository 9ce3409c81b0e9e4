// Reads the #include lines of every source file under src/ and checks them
// against the layer order of the folders and for circles between units.
#include "layering.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <utility>

namespace fs = std::filesystem;

// The layer order. A file may include files of its own folder and of folders
// with a strictly lower rank, so that each layer builds and tests without the
// ones above it; two folders of the same rank stay independent of each other.
// A rank covers one folder, not its subfolders: render/gl sits far above render.
// Sources in a folder missing here are reported, so a new folder gets a place.
std::optional<int> folder_rank(const std::string& folder) {
  static constexpr std::pair<std::string_view, int> kRanks[] = {
      {"molecule", 1},  {"formats", 2}, {"render", 3}, {"document", 4}, {"edit", 5},    {"app", 6},
      {"render/gl", 7}, {"export", 8},  {"ui", 9},     {"cli", 9},      {"convert", 9}, {"calc", 10},
  };
  for (const auto& [name, rank] : kRanks)
    if (name == folder) return rank;
  return std::nullopt;
}

namespace {

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// True when `folder` is `top` or lies inside it.
bool is_under(const std::string& folder, std::string_view top) {
  return starts_with(folder, top) && (folder.size() == top.size() || folder[top.size()] == '/');
}

// Why a system header may not be used in `folder`, if it may not. The window
// toolkit stays in ui so everything below runs without a display; OpenGL stays
// where a drawing context exists; the image library serves the application layers.
std::optional<std::string> system_header_problem(const std::string& folder, std::optional<int> rank,
                                                 const std::string& header) {
  if (starts_with(header, "gtk/") || starts_with(header, "gdk/")) {
    if (!is_under(folder, "ui")) return "toolkit headers belong in ui only";
  } else if (starts_with(header, "gdk-pixbuf/")) {
    if (!rank || *rank < 6) return "image library headers belong in layers of rank 6 and above";
  } else if (starts_with(header, "GL/")) {
    if (!is_under(folder, "render/gl") && !is_under(folder, "export") && !is_under(folder, "ui") &&
        !is_under(folder, "cli"))
      return "OpenGL headers belong in render/gl, export, ui and cli only";
  }
  return std::nullopt;
}

struct Include {
  int line;
  bool quoted;  // "path" rather than <path>
  std::string path;
};

struct SourceFile {
  std::string path;    // relative to the root, with '/' separators
  std::string folder;  // relative to the root; empty directly under it
};

// `# include "path"` or `# include <path>`, with white space allowed around the '#'.
std::optional<Include> parse_include(const std::string& line, int number) {
  constexpr const char* kSpace = " \t\r\f\v";
  size_t at = line.find_first_not_of(kSpace);
  if (at == std::string::npos || line[at] != '#') return std::nullopt;
  at = line.find_first_not_of(kSpace, at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return std::nullopt;
  at = line.find_first_not_of(kSpace, at + 7);
  if (at == std::string::npos || (line[at] != '"' && line[at] != '<')) return std::nullopt;
  const char close = line[at] == '"' ? '"' : '>';
  const size_t end = line.find(close, at + 1);
  if (end == std::string::npos) return std::nullopt;
  return Include{number, close == '"', line.substr(at + 1, end - at - 1)};
}

// The includes of one file; nullopt when it cannot be read.
std::optional<std::vector<Include>> read_includes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();  // an empty file sets failbit on `text` only
  if (in.bad()) return std::nullopt;
  std::istringstream lines(without_comments(text.str()));
  std::vector<Include> includes;
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number)
    if (auto include = parse_include(line, number)) includes.push_back(*include);
  return includes;
}

bool is_source(const fs::path& file) {
  static constexpr std::string_view kExtensions[] = {".h", ".hpp", ".cpp", ".cc", ".inc"};
  const std::string extension = file.extension().string();
  return std::find(std::begin(kExtensions), std::end(kExtensions), extension) != std::end(kExtensions);
}

std::string folder_of(const std::string& path) { return fs::path(path).parent_path().generic_string(); }

// A unit is a file without its extension: a header and its source are one unit.
std::string unit_of(const std::string& path) { return fs::path(path).replace_extension().generic_string(); }

// The file a project include names, relative to the root: the path as written
// when it starts with a ranked folder, else a file beside the includer, where
// the compiler also looks for quoted includes. nullopt for anything else, which
// for angle brackets means a system header.
std::optional<std::string> resolve_include(const fs::path& root, const SourceFile& from, const Include& include) {
  const fs::path written = fs::path(include.path).lexically_normal();
  std::error_code ignored;
  if (!written.is_absolute() && folder_rank(written.parent_path().generic_string())) {
    // With src/ on the include path, <molecule/x.h> reaches project headers too.
    if (include.quoted || fs::is_regular_file(root / written, ignored)) return written.generic_string();
    return std::nullopt;
  }
  if (!include.quoted || written.is_absolute()) return std::nullopt;
  const fs::path beside = (fs::path(from.folder) / written).lexically_normal();
  if (beside.empty() || *beside.begin() == "..") return std::nullopt;
  if (!fs::is_regular_file(root / beside, ignored)) return std::nullopt;
  return beside.generic_string();
}

// Lower folders that a folder may still not use. The OpenGL drawing shows the
// molecule and never changes it: it uses nothing of the editor or of the
// document, which holds the undo history.
bool is_barred(const std::string& from, const std::string& to) {
  static constexpr std::pair<std::string_view, std::string_view> kBarred[] = {{"render/gl", "edit"},
                                                                              {"render/gl", "document"}};
  for (const auto& [user, used] : kBarred)
    if (from == user && is_under(to, used)) return true;
  return false;
}

// Why including a file of folder `to` from `from` breaks the layers, if it does.
std::optional<std::string> layer_problem(const std::string& from, std::optional<int> from_rank, const std::string& to) {
  if (to == from) return std::nullopt;
  const std::optional<int> to_rank = folder_rank(to);
  if (!to_rank) return "from folder " + to + ", which has no rank in the layer order";
  if (!from_rank) return std::nullopt;  // the includer's own folder is reported already
  if (*to_rank > *from_rank)
    return "from a higher layer (" + to + ", rank " + std::to_string(*to_rank) + " > " + from + ", rank " +
           std::to_string(*from_rank) + ")";
  if (*to_rank == *from_rank)
    return "from a peer layer (" + to + " and " + from + " share rank " + std::to_string(*to_rank) + ")";
  if (is_barred(from, to)) return "from a folder " + from + " may not use (the drawing never edits the molecule)";
  return std::nullopt;
}

// The strongly connected components of more than one unit, each sorted. This is
// Tarjan's algorithm with an explicit stack, so long include chains cannot
// overflow the call stack.
std::vector<std::vector<std::string>> circles(const std::map<std::string, std::set<std::string>>& depends) {
  std::map<std::string, int> id;
  std::vector<std::string> name;
  auto node = [&](const std::string& unit) {
    const auto [it, added] = id.emplace(unit, static_cast<int>(name.size()));
    if (added) name.push_back(unit);
    return it->second;
  };
  for (const auto& [unit, targets] : depends) {
    node(unit);
    for (const std::string& target : targets) node(target);
  }
  std::vector<std::vector<int>> edges(name.size());
  for (const auto& [unit, targets] : depends)
    for (const std::string& target : targets) edges[id[unit]].push_back(id[target]);

  const int count = static_cast<int>(name.size());
  std::vector<int> index(count, -1), low(count, 0), stack;
  std::vector<bool> on_stack(count, false);
  std::vector<std::pair<int, size_t>> calls;  // node and its next edge to follow
  std::vector<std::vector<std::string>> found;
  int next_index = 0;
  auto visit = [&](int v) {
    index[v] = low[v] = next_index++;
    stack.push_back(v);
    on_stack[v] = true;
    calls.emplace_back(v, 0);
  };
  for (int start = 0; start < count; ++start) {
    if (index[start] != -1) continue;
    visit(start);
    while (!calls.empty()) {
      const int v = calls.back().first;
      if (calls.back().second < edges[v].size()) {
        const int w = edges[v][calls.back().second++];
        if (index[w] == -1) {
          visit(w);
        } else if (on_stack[w]) {
          low[v] = std::min(low[v], index[w]);
        }
        continue;
      }
      calls.pop_back();
      if (!calls.empty()) low[calls.back().first] = std::min(low[calls.back().first], low[v]);
      if (low[v] != index[v]) continue;
      std::vector<std::string> component;
      int w;
      do {
        w = stack.back();
        stack.pop_back();
        on_stack[w] = false;
        component.push_back(name[w]);
      } while (w != v);
      if (component.size() > 1) {
        std::sort(component.begin(), component.end());
        found.push_back(std::move(component));
      }
    }
  }
  return found;
}

}  // namespace

namespace {

enum class Literals { kKeep, kBlank };

// Whether a '"' after `code` opens a raw string literal: R, or u8R, uR, UR,
// LR, not at the end of a longer identifier.
bool opens_raw_string(const std::string& code) {
  if (code.empty() || code.back() != 'R') return false;
  size_t start = code.size() - 1;
  for (const std::string_view prefix : {"u8", "u", "U", "L"})
    if (start >= prefix.size() && code.compare(start - prefix.size(), prefix.size(), prefix) == 0) {
      start -= prefix.size();
      break;
    }
  return start == 0 || !(std::isalnum(static_cast<unsigned char>(code[start - 1])) || code[start - 1] == '_');
}

// Where the raw string literal whose opening '"' is at `quote` ends (its
// closing '"'), or npos when there is no well-formed one.
size_t raw_string_end(const std::string& text, size_t quote) {
  const size_t paren = text.find('(', quote + 1);
  if (paren == std::string::npos || paren - quote - 1 > 16) return std::string::npos;
  const std::string delimiter = text.substr(quote + 1, paren - quote - 1);
  if (delimiter.find_first_of(" \t\n\\)") != std::string::npos) return std::string::npos;
  const size_t close = text.find(")" + delimiter + "\"", paren);
  return close == std::string::npos ? close : close + delimiter.size() + 1;
}

// The text with its comments blanked out, line breaks kept. String and
// character literals are stepped over so that a "/*" inside one opens no comment;
// they end with their line at the latest, so a stray quote cannot hide the rest,
// except raw string literals, which end where their delimiter says. With
// Literals::kBlank the literals' contents are blanked too, their quotes kept.
std::string strip_comments(const std::string& text, Literals literals) {
  const bool blank = literals == Literals::kBlank;
  enum class In { kCode, kLineComment, kBlockComment, kString, kChar } in = In::kCode;
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '\n') {
      if (in != In::kBlockComment) in = In::kCode;
      out += c;
      continue;
    }
    switch (in) {
      case In::kCode:
        if (c == '/' && next == '/') {
          in = In::kLineComment;
          continue;
        }
        if (c == '/' && next == '*') {
          in = In::kBlockComment;
          out += ' ';
          ++i;
          continue;
        }
        if (c == '"' && opens_raw_string(out)) {
          if (const size_t end = raw_string_end(text, i); end != std::string::npos) {
            out += c;
            for (size_t k = i + 1; k < end; ++k) out += blank && text[k] != '\n' ? ' ' : text[k];
            out += '"';
            i = end;
            continue;
          }
        }
        if (c == '"') {
          in = In::kString;
        } else if (c == '\'') {
          // A quote right after a letter or digit separates digits (1'000'000).
          const bool after_word =
              !out.empty() && (std::isalnum(static_cast<unsigned char>(out.back())) || out.back() == '_');
          if (!after_word) in = In::kChar;
        }
        out += c;
        break;
      case In::kLineComment:
        break;
      case In::kBlockComment:
        if (c == '*' && next == '/') {
          in = In::kCode;
          ++i;
        }
        break;
      case In::kString:
      case In::kChar:
        if (c == '\\' && next != '\n' && next != '\0') {
          out += blank ? ' ' : c;
          out += blank ? ' ' : next;
          ++i;
        } else if (c == (in == In::kString ? '"' : '\'')) {
          out += c;
          in = In::kCode;
        } else {
          out += blank ? ' ' : c;
        }
        break;
    }
  }
  return out;
}

}  // namespace

std::string without_comments(const std::string& text) { return strip_comments(text, Literals::kKeep); }

std::string code_only(const std::string& text) { return strip_comments(text, Literals::kBlank); }

std::vector<std::string> check_layering(const fs::path& src_root) {
  const fs::path& root = src_root;
  std::vector<SourceFile> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || !is_source(entry.path())) continue;
    // Relative to the root exactly as given: the entries are spelled that way, so "src/" or "./src" work alike.
    const std::string path = entry.path().lexically_relative(root).generic_string();
    files.push_back({path, folder_of(path)});
  }

  std::vector<std::string> problems;
  std::map<std::string, std::set<std::string>> depends;  // unit -> the other units it includes
  for (const SourceFile& file : files) {
    const std::optional<int> rank = folder_rank(file.folder);
    if (file.folder.empty())
      problems.push_back(file.path + ": file directly under the source root; move it into a ranked folder");
    else if (!rank)
      problems.push_back(file.path + ": folder " + file.folder + " has no rank in the layer order; give it one");

    const auto includes = read_includes(root / file.path);
    if (!includes) {
      problems.push_back(file.path + ": cannot be read");
      continue;
    }
    for (const Include& include : *includes) {
      const std::string where = file.path + ":" + std::to_string(include.line) + ": ";
      const std::optional<std::string> target = resolve_include(root, file, include);
      if (!target) {
        if (include.quoted)
          problems.push_back(where + "unknown include \"" + include.path +
                             "\", neither in a ranked folder nor beside the file");
        else if (auto why = system_header_problem(file.folder, rank, include.path))
          problems.push_back(where + "includes <" + include.path + ">; " + *why);
        continue;
      }
      if (unit_of(*target) != unit_of(file.path)) depends[unit_of(file.path)].insert(unit_of(*target));
      if (auto why = layer_problem(file.folder, rank, folder_of(*target)))
        problems.push_back(where + "includes " + *target + " " + *why);
    }
  }

  for (const std::vector<std::string>& circle : circles(depends)) {
    std::string line = "circle between units: ";
    for (size_t i = 0; i < circle.size(); ++i) line += (i ? ", " : "") + circle[i];
    problems.push_back(line);
  }
  std::sort(problems.begin(), problems.end());
  return problems;
}
