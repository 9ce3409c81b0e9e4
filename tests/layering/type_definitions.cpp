// Finds type definitions by walking the tokens of each file's code (comments,
// literals and preprocessor lines blanked) with a stack of the scopes that
// its braces open. A '{' opens a namespace (namespace …, extern "C"), a class
// (struct, class or union with a body) or anything else (a function, an
// enum's list, an initializer); the tokens since the end of the last
// declaration say which. Definitions count only while every open scope is a
// namespace. Names are compared as written, without their namespaces.
#include "type_definitions.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <tuple>

#include "layering.h"

namespace fs = std::filesystem;

namespace {

struct Token {
  std::string text;  // a literal is its quotes only
  int line;
};

bool is_identifier(const std::string& token) {
  return !token.empty() && (std::isalpha(static_cast<unsigned char>(token[0])) || token[0] == '_');
}

// Blanks preprocessor lines and the lines they continue with a backslash.
std::string without_preprocessor(std::string code) {
  bool continued = false;
  for (size_t start = 0; start < code.size();) {
    size_t end = code.find('\n', start);
    if (end == std::string::npos) end = code.size();
    const size_t first = code.find_first_not_of(" \t\r", start);
    if (continued || (first < end && code[first] == '#')) {
      const size_t last = code.find_last_not_of(" \t\r", end - 1);
      continued = last != std::string::npos && last >= start && code[last] == '\\';
      std::fill(code.begin() + static_cast<std::ptrdiff_t>(start), code.begin() + static_cast<std::ptrdiff_t>(end),
                ' ');
    }
    start = end + 1;
  }
  return code;
}

std::vector<Token> tokens_of(const std::string& code) {
  std::vector<Token> tokens;
  int line = 1;
  for (size_t i = 0; i < code.size();) {
    const unsigned char c = static_cast<unsigned char>(code[i]);
    if (c == '\n') ++line;
    if (std::isspace(c)) {
      ++i;
      continue;
    }
    size_t end = i + 1;
    if (std::isalnum(c) || c == '_') {
      // Identifiers and numbers, with digit separators and exponents' dots.
      while (end < code.size() && (std::isalnum(static_cast<unsigned char>(code[end])) || code[end] == '_' ||
                                   (std::isdigit(c) && (code[end] == '.' || code[end] == '\''))))
        ++end;
    } else if (c == '"' || c == '\'') {
      // The contents are blank: the literal ends at the next quote of its kind.
      const size_t close = code.find(static_cast<char>(c), i + 1);
      end = close == std::string::npos ? code.size() : close + 1;
    } else if (c == ':' && i + 1 < code.size() && code[i + 1] == ':') {
      end = i + 2;
    }
    std::string text = code.substr(i, end - i);
    if (c == '"' || c == '\'') text = std::string(2, static_cast<char>(c));
    tokens.push_back({text, line});
    line += static_cast<int>(std::count(code.begin() + static_cast<std::ptrdiff_t>(i),
                                        code.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    i = end;
  }
  return tokens;
}

// The tokens of one declaration: [begin, end) of the file's tokens.
class Head {
 public:
  Head(const std::vector<Token>& tokens, size_t begin, size_t end) : tokens_(tokens), at_(begin), end_(end) {}

  bool done() const { return at_ >= end_; }
  const std::string& peek(size_t ahead = 0) const {
    static const std::string none;
    return at_ + ahead < end_ ? tokens_[at_ + ahead].text : none;
  }
  const Token& token() const { return tokens_[at_]; }
  void skip(size_t n = 1) { at_ += n; }
  bool take(const std::string& text) {
    if (peek() != text) return false;
    ++at_;
    return true;
  }
  // Steps over a bracketed group that opens here: <…> (counted outside
  // parentheses, where a '>' may compare), (…) or [[…]].
  void skip_group() {
    const std::string open = peek();
    const std::string close = open == "<" ? ">" : open == "(" ? ")" : "]";
    int depth = 0, parens = 0;
    do {
      const std::string& t = peek();
      if (open == "<" && (t == "(" || t == ")")) parens += t == "(" ? 1 : -1;
      if (t == open && parens == 0) ++depth;
      if (t == close && parens == 0) --depth;
      skip();
    } while (depth > 0 && !done());
  }
  // Steps over `template <…>` heads, attributes and specifiers that may come
  // before a type's keyword.
  void skip_prefix() {
    static const char* const kSpecifiers[] = {"typedef",  "static",       "inline", "constexpr", "const",
                                              "volatile", "thread_local", "extern", "alignas",   "__attribute__"};
    while (!done()) {
      if (peek() == "template" && peek(1) == "<") {
        skip();
        skip_group();
      } else if (peek() == "[" && peek(1) == "[") {
        skip_group();
      } else if (std::find(std::begin(kSpecifiers), std::end(kSpecifiers), peek()) != std::end(kSpecifiers)) {
        const bool takes_arguments = peek() == "alignas" || peek() == "__attribute__";
        skip();
        if (takes_arguments && peek() == "(") skip_group();
      } else {
        return;
      }
    }
  }

 private:
  const std::vector<Token>& tokens_;
  size_t at_, end_;
};

enum class Scope { kNamespace, kClass, kOther };

struct Opening {
  Scope scope = Scope::kOther;
  std::optional<TypeDefinition> defines;
};

// What the '{' after `head` opens, and the type it defines if any.
Opening classify(Head head) {
  if (head.peek() == "namespace" || (head.peek() == "inline" && head.peek(1) == "namespace") ||
      (head.peek() == "extern" && head.peek(1) == "\"\"" && head.peek(2).empty()))
    return {Scope::kNamespace, std::nullopt};
  head.skip_prefix();
  Opening opening;
  if (head.take("struct") || head.take("class") || head.take("union")) {
    opening.scope = Scope::kClass;
  } else if (head.take("enum")) {
    if (!head.take("class")) head.take("struct");
  } else {
    return opening;
  }
  head.skip_prefix();  // attributes and alignas between the keyword and the name
  if (head.done() || !is_identifier(head.peek())) return opening;  // unnamed
  const Token name = head.token();
  head.skip();
  // A qualified name defines a member of another scope; a name with
  // arguments specialises a template.
  if (head.peek() == "::" || head.peek() == "<") return opening;
  head.take("final");
  if (head.done() || head.peek() == ":") {
    opening.defines = TypeDefinition{name.text, name.line};
    return opening;
  }
  // `struct X f() {`: the keyword named a type that something else uses.
  return {Scope::kOther, std::nullopt};
}

// The alias that the declaration `head` (up to its ';') defines, if any.
std::optional<TypeDefinition> alias(Head head) {
  head.skip_prefix();
  if (head.take("using")) {
    if (is_identifier(head.peek()) && head.peek() != "namespace" && head.peek(1) == "=")
      return TypeDefinition{head.peek(), head.token().line};
    return std::nullopt;
  }
  return std::nullopt;
}

// `typedef … NAME;` without parentheses (a function type's name sits inside them).
std::optional<TypeDefinition> typedef_name(const std::vector<Token>& tokens, size_t begin, size_t end) {
  if (end - begin < 3 || tokens[begin].text != "typedef" || !is_identifier(tokens[end - 1].text)) return std::nullopt;
  for (size_t i = begin; i < end; ++i)
    if (tokens[i].text == "(") return std::nullopt;
  return TypeDefinition{tokens[end - 1].text, tokens[end - 1].line};
}

struct Site {
  std::string file;  // relative to the root
  std::string layer;
  int line;
};

// The order in which a pair is named: the lower layer first, then by path.
std::tuple<int, const std::string&, int> order(const Site& site) {
  return {folder_rank(site.layer).value_or(INT_MAX), site.file, site.line};
}

}  // namespace

std::vector<TypeDefinition> type_definitions(const std::string& text) {
  const std::vector<Token> tokens = tokens_of(without_preprocessor(code_only(text)));
  std::vector<TypeDefinition> found;
  std::vector<Scope> scopes;
  size_t begin = 0;  // the first token of the declaration under way
  const auto at_namespace_level = [&] {
    return std::all_of(scopes.begin(), scopes.end(), [](Scope s) { return s == Scope::kNamespace; });
  };
  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string& t = tokens[i].text;
    if (t == "{") {
      const Opening opening = classify(Head(tokens, begin, i));
      if (opening.defines && at_namespace_level()) found.push_back(*opening.defines);
      scopes.push_back(opening.scope);
      begin = i + 1;
    } else if (t == "}") {
      if (!scopes.empty()) scopes.pop_back();
      begin = i + 1;
    } else if (t == ";") {
      if (at_namespace_level()) {
        if (auto defined = alias(Head(tokens, begin, i))) found.push_back(*defined);
        if (auto defined = typedef_name(tokens, begin, i)) found.push_back(*defined);
      }
      begin = i + 1;
    }
  }
  return found;
}

std::vector<std::string> check_type_definitions(const fs::path& src_root) {
  std::map<std::string, std::vector<Site>> sites;  // type name -> where it is defined
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(src_root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".hpp" && ext != ".cpp" && ext != ".cc")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string file = entry.path().lexically_relative(src_root).generic_string();
    const std::string layer = fs::path(file).parent_path().generic_string();
    for (const TypeDefinition& d : type_definitions(text.str())) sites[d.name].push_back({file, layer, d.line});
  }

  std::vector<std::string> problems;
  for (auto& [name, where] : sites) {
    std::sort(where.begin(), where.end(), [](const Site& a, const Site& b) { return order(a) < order(b); });
    for (size_t a = 0; a < where.size(); ++a)
      for (size_t b = a + 1; b < where.size(); ++b)
        if (where[a].layer != where[b].layer)
          problems.push_back(where[a].file + ":" + std::to_string(where[a].line) + ": " + name +
                             " is also defined in " + where[b].file + ":" + std::to_string(where[b].line));
  }
  std::sort(problems.begin(), problems.end());
  return problems;
}
