// What the commands of mivor-cli share: the options, the collected
// messages, the configuration and opening a file as the viewer does.
#pragma once

#include <array>
#include <initializer_list>
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
  std::vector<std::string> given;  // every option named, as written ("--grid")
  bool single = false;
  bool values = false;
  bool loose = false;
  bool summary = false;  // info: counts instead of contents
  std::optional<int> geometry;
  std::optional<int> grid;
  std::optional<double> level;
  std::optional<double> tolerance;
  std::optional<std::string> ply;
  std::optional<std::string> cube;
  std::optional<std::string> converter_options;
  // The orbitals command's: "SYM:INDEX=LETTER" words, and the orbital file to write.
  std::vector<std::string> set_types;
  std::optional<std::string> inporb;
  // The render command's.
  std::optional<std::string> out, format, viewpoint, background;
  std::optional<std::array<int, 2>> size;
  // True when every option named is one of `allowed`: a command refuses the
  // options of the others.
  bool only(std::initializer_list<const char*> allowed) const;
};

// Parses the options after the command word; false on a malformed one.
bool parse_options(int argc, char** argv, options_t& o);
// The viewer's configuration, read only: element table (built in when the
// directory has none), settings and file types.
void load_configuration(bool single);
// Opens `name` as the viewer does; true when it was read.
bool open_input(const std::string& name);
void print_messages_to_stderr(const MessageCollector& c);
// Opens the one file of `o` and gives geometry --geometry (default: the
// current one); null, with the reason on stderr, when either fails.
std::optional<int> open_chosen_geometry(const options_t& o, MessageCollector& told);
// Opens the one file of `o` and makes geometry --geometry (default: the
// current one) and grid --grid (default: the current one) current. Opening
// already loads the current grid; another choice is loaded with `load`.
// False, with the reason on stderr, when any step fails.
// A geometry without grids is accepted when `grids_optional` and no grid
// was asked for.
bool load_chosen_grid(const options_t& o, MessageCollector& told, void (*load)(), bool grids_optional = false);
// The store is sized for the grids of the geometry read last; another
// geometry's grid needs a store of its own size. False, with the message
// on stderr, when the surface was refused as too large.
bool surfaces_of_current_geometry();

// The commands: each returns the exit status (0 done, 1 failed, 2 usage).
int command_info(const options_t& o, MessageCollector& told);
int command_convert(const options_t& o, MessageCollector& told);
int command_grid(const options_t& o, MessageCollector& told);
int command_surface(const options_t& o, MessageCollector& told);
int command_render(const options_t& o, MessageCollector& told);
int command_export_grid(const options_t& o, MessageCollector& told);
int command_symmetry(const options_t& o, MessageCollector& told);
int command_orbitals(const options_t& o, MessageCollector& told);
