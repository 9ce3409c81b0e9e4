// mivor-cli: opens files through the same road as the viewer and prints
// what it read as JSON, converts files, reads grids and extracts their
// isosurfaces. It finds its configuration like the viewer but never writes
// into it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli_common.h"
#include "document/save.h"
#include "document/undo.h"
#include "formats/converters.h"
#include "formats/file_names.h"
#include "formats/file_types.h"
#include "formats/safe_file.h"
#include "molecule/memory_budget.h"
#include "molecule/notify.h"

namespace {

const char usage[] =
    "usage: mivor-cli info FILE [--single] [--geometry G] [--summary]\n"
    "       mivor-cli convert IN OUT [--single] [--converter-options \"OPTIONS\"]\n"
    "       mivor-cli grid FILE [--geometry G] [--grid K] [--values]\n"
    "       mivor-cli surface FILE [--geometry G] [--grid K] [--level L] [--ply OUT.ply]\n"
    "       mivor-cli render FILE --out OUT [--format tga|png|jpeg|eps|eps2|pov] [--size WxH]\n"
    "                 [--viewpoint .ViewPoint] [--grid K] [--level L] [--geometry G]\n"
    "                 [--background white|grey|black]\n"
    "       mivor-cli export-grid FILE [--geometry G] --grid K --cube OUT.cube\n"
    "       mivor-cli symmetry FILE [--geometry G] [--tolerance T] [--loose]\n"
    "       mivor-cli orbitals FILE [--geometry G] [--set-type SYM:INDEX=TYPE ...] [--inporb OUT]\n";

// The commands by their word.
const struct {
  const char* word;
  int (*run)(const options_t&, MessageCollector&);
} commands[] = {
    {"info", command_info},       {"convert", command_convert}, {"grid", command_grid},
    {"surface", command_surface}, {"render", command_render},   {"export-grid", command_export_grid},
    {"symmetry", command_symmetry}, {"orbitals", command_orbitals},
};

}  // namespace

int command_convert(const options_t& o, MessageCollector& told) {
  if (o.files.size() != 2 || !o.only({"--single", "--converter-options"})) return 2;
  // Options for the forward converter, one word each.
  if (o.converter_options) {
    const std::string& text = *o.converter_options;
    for (size_t i = 0; i < text.size();) {
      const size_t start = text.find_first_not_of(" \t", i);
      if (start == std::string::npos) break;
      const size_t end = std::min(text.find_first_of(" \t", start), text.size());
      converter_options.push_back(text.substr(start, end - start));
      i = end;
    }
  }
  if (!open_input(o.files[0])) {
    print_messages_to_stderr(told);
    return 1;
  }
  // A foreign file converted to a native one: the converter's file is the
  // result, grid values included (a saved native file keeps none).
  const std::string converted = make_mivor_file_name(o.files[0]);
  if (converted != o.files[0] && get_filetype(o.files[1]) == 0) {
    if (o.files[1] == converted || copy_file_atomically(converted, o.files[1])) return 0;
    std::fprintf(stderr, "cannot write %s\n", o.files[1].c_str());
    return 1;
  }
  if (!mivor_gtk_do_save_file(o.files[1], save_type_of(o.files[1]))) {
    print_messages_to_stderr(told);
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  options_t o;
  if (argc < 2 || !parse_options(argc, argv, o)) {
    std::fputs(usage, stderr);
    return 2;
  }
  const std::string command = argv[1];
  MessageCollector told;
  set_notifier(&told);
  load_configuration(o.single);
  // The undo history exists only while a file is open in the viewer.
  keep_undo_history(false);
  int status = 2;
  for (const auto& c : commands) {
    if (command != c.word) continue;
    // Whatever runs out of memory where no budget foresaw it ends the
    // command with a message, never with an abort.
    if (!run_within_memory([&] { status = c.run(o, told); }, "ERROR: Not enough memory")) {
      print_messages_to_stderr(told);
      status = 1;
    }
  }
  set_notifier(nullptr);
  if (status == 2) std::fputs(usage, stderr);
  return status;
}
