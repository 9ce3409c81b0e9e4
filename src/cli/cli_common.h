// What the commands of mivor-cli share: the options, the collected
// messages, the configuration and opening a file as the viewer does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "molecule/notify.h"

// Collects every warning and status text shown, in order.
class MessageCollector final : public Notifier {
 public:
  void warning(const std::string& text) override { messages.push_back(text); }
  void status(StatusBar, const std::string& text) override {
    if (!text.empty()) messages.push_back(text);
  }
  std::vector<std::string> messages;
};

struct options_t {
  std::vector<std::string> files;
  bool single = false;
  bool values = false;
  bool summary = false;  // info: counts instead of contents
  std::optional<int> geometry;
  std::optional<int> grid;
  std::optional<double> level;
  std::optional<std::string> ply;
  // Options only the surface command takes.
  bool surface_only() const { return level || ply; }
};

// Parses the options after the command word; false on a malformed one.
bool parse_options(int argc, char** argv, options_t& o);
// The viewer's configuration, read only: element table (built in when the
// directory has none), settings and file types.
void load_configuration(bool single);
// Opens `name` as the viewer does; true when it was read.
bool open_input(const std::string& name);
void print_messages_to_stderr(const MessageCollector& c);
// Opens the one file of `o` and makes geometry --geometry (default: the
// current one) and grid --grid (default: the current one) current. Opening
// already loads the current grid; another choice is loaded with `load`.
// False, with the reason on stderr, when any step fails.
bool load_chosen_grid(const options_t& o, MessageCollector& told, void (*load)());

// The commands: each returns the exit status (0 done, 1 failed, 2 usage).
int command_info(const options_t& o, MessageCollector& told);
int command_convert(const options_t& o, MessageCollector& told);
int command_grid(const options_t& o, MessageCollector& told);
int command_surface(const options_t& o, MessageCollector& told);
