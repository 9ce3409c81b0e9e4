// Three rules, each on the code with its comments blanked:
//  - G_CALLBACK( names a guarded handler: G_CALLBACK(guarded<f>) or, with a
//    second template argument, G_CALLBACK((guarded<f, TRUE>));
//  - no callback type is made by a cast, which would bypass the first rule;
//  - a call that registers a function (signals, timeouts, idles, child and
//    io watches, a source's callback, foreach, sort, cell-data and similar
//    functions) names a guarded handler among its
//    arguments, or, for a signal, hands on a GCallback variable (made by the
//    first rule where it was filled). Blocking a handler by its function
//    counts as such a call: it must name the guarded function that was
//    connected, or it blocks nothing.
#include "callbacks.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>

#include "layering.h"

namespace fs = std::filesystem;

namespace {

int line_at(const std::string& text, size_t offset) {
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// The top-level arguments of the call whose '(' is at `open`, each trimmed;
// empty when the parentheses don't close.
std::vector<std::string> call_arguments(const std::string& text, size_t open) {
  std::vector<std::string> args(1);
  int depth = 0;
  char quote = 0;
  for (size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      args.back() += c;
      if (c == '\\' && i + 1 < text.size()) {
        args.back() += text[++i];
      } else if (c == quote) {
        quote = 0;
      }
      continue;
    }
    if (c == '"' || c == '\'') quote = c;
    if (c == '(') {
      if (depth++ == 0) continue;
    } else if (c == ')') {
      if (--depth == 0) {
        for (std::string& a : args) {
          const size_t first = a.find_first_not_of(" \t\r\n");
          const size_t last = a.find_last_not_of(" \t\r\n");
          a = first == std::string::npos ? "" : a.substr(first, last - first + 1);
        }
        return args;
      }
    } else if (c == ',' && depth == 1) {
      args.emplace_back();
      continue;
    }
    args.back() += c;
  }
  return {};
}

bool is_variable(const std::string& arg) {
  static const std::regex variable(R"([A-Za-z_][\w]*((\.|->)[A-Za-z_]\w*)*)");
  return std::regex_match(arg, variable);
}

}  // namespace

std::vector<std::string> unguarded_callbacks(const std::string& name, const std::string& text_with_comments) {
  const std::string text = without_comments(text_with_comments);
  std::vector<std::string> problems;
  auto report = [&](size_t at, const std::string& what) {
    problems.push_back(name + ":" + std::to_string(line_at(text, at)) + ": " + what);
  };

  static const std::regex g_callback(R"(\bG_CALLBACK\s*\(\s*(\(\s*)?(guarded\s*<)?)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), g_callback); it != std::sregex_iterator(); ++it)
    if (!(*it)[2].matched) report(static_cast<size_t>(it->position()), "G_CALLBACK without guarded<…>");

  static const std::regex cast(R"((\(\s*|_cast\s*<\s*)(G|Gtk|Gdk)\w*(Func|Callback)\s*[)>])");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), cast); it != std::sregex_iterator(); ++it)
    report(static_cast<size_t>(it->position()), "a callback made by a cast, not by G_CALLBACK(guarded<…>)");

  static const std::regex registration(
      R"(\b(g_signal_connect\w*|g_timeout_add\w*|g_idle_add\w*|g_child_watch_add\w*|g_io_add_watch\w*|)"
      R"(gdk_threads_add_\w+|g_signal_add_emission_hook|gtk_quit_add\w*|gtk_key_snooper_install|)"
      R"(gtk_accel_group_connect\w*|g_cclosure_new\w*|gtk_clipboard_request_\w+|g_source_set_callback\w*|)"
      R"(g_(s?list|ptr_array|array)_sort\w*|g_qsort_with_data|)"
      R"((g|gtk|gdk)_\w+_foreach|(g|gtk|gdk)_\w+_func(_full)?)\s*\()");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), registration); it != std::sregex_iterator(); ++it) {
    const std::string function = (*it)[1];
    const size_t open = static_cast<size_t>(it->position() + it->length() - 1);
    const std::vector<std::string> args = call_arguments(text, open);
    const bool guarded = std::any_of(args.begin(), args.end(), [](const std::string& a) {
      return std::regex_search(a, std::regex(R"(\bguarded\s*<)"));
    });
    const bool handed_on = function.rfind("g_signal_connect", 0) == 0 && args.size() > 2 && is_variable(args[2]);
    if (!guarded && !handed_on) report(static_cast<size_t>(it->position()), function + " without guarded<…>");
  }
  std::sort(problems.begin(), problems.end());
  return problems;
}

std::vector<std::string> check_callbacks(const fs::path& src_root) {
  std::vector<std::string> problems;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(src_root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string name = entry.path().lexically_relative(src_root).generic_string();
    for (std::string& p : unguarded_callbacks(name, text.str())) problems.push_back(std::move(p));
  }
  std::sort(problems.begin(), problems.end());
  return problems;
}
