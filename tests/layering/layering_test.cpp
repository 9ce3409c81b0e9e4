// Tests of the layering checker on small made-up source trees, and of the exit
// status of the layering_check program.
#include "layering.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "temp_tree.h"

namespace fs = std::filesystem;

namespace {

void write_good_tree(const TempTree& tree) {
  tree.write("molecule/mol_data.h", "#pragma once\n#include <vector>\n");
  tree.write("molecule/mol_data.cpp",
             "#include \"molecule/mol_data.h\"\n// #include \"ui/main_window.h\"\n#include <glib.h>  // <gtk/gtk.h>\n");
  tree.write("formats/reader.cpp",
             "/* Before the move:\n#include \"ui/main_window.h\"\n*/ #include \"formats/reader.h\"\n"
             "#include \"molecule/mol_data.h\"\nint n = 1'000; char q = '\"'; /*\n#include \"ui/main_window.h\"\n*/\n");
  tree.write("render/view.cpp", "#include \"formats/reader.h\"\n#include <pango/pangocairo.h>\n");
  tree.write("document/undo.cpp", "#include \"render/view.h\"\n");
  tree.write("edit/moves.cpp", "#include \"document/undo.h\"\n");
  tree.write("app/settings.cpp", "#include <gdk-pixbuf/gdk-pixbuf.h>\n#include \"edit/moves.h\"\n");
  tree.write("render/gl/view_gl.cpp", "#include \"render/view.h\"\n#include \"app/settings.h\"\n#include <GL/gl.h>\n");
  tree.write("ui/window_icon.xpm.h", "static const char* icon[] = {};\n");
  tree.write("ui/main_window.cpp",
             "#include \"window_icon.xpm.h\"\n  #  include <gtk/gtk.h>\n#include <GL/glu.h>\n"
             "#include \"render/gl/view_gl.h\"\n");
  tree.write("cli/main.cpp", "#include \"app/settings.h\"\n#include <GL/gl.h>\n");
}

TEST(Layering, TreeFollowingTheLayersHasNoProblems) {
  TempTree tree;
  write_good_tree(tree);
  EXPECT_EQ(check_layering(tree.src()), std::vector<std::string>{});
  EXPECT_EQ(check_layering(tree.src().string() + "/./"), std::vector<std::string>{});
}

TEST(Layering, EachBreakIsReportedOnceNamingItsFile) {
  TempTree tree;
  tree.write("formats/grid_reader.cpp", "#include \"render/isosurface.h\"\n");
  tree.write("ui/main_window.h", "");
  tree.write("ui/main_window.cpp", "#include \"cli/json_writer.h\"\n#include \"nowhere.h\"\n");
  tree.write("render/view.cpp", "const char* open = \"/*\"; /* a\ncomment */\n#include <gtk/gtk.h>\n");
  tree.write("edit/moves.cpp", "#include <GL/gl.h>\n");
  // A raw string ends at its delimiter, not at a quote inside it.
  tree.write("export/eps_prolog.cpp", "const char p[] = R\"(/x { \"/*\" } def\n)\";\n#include <gtk/gtk.h>\n");
  tree.write("formats/png.cpp", "#include <gdk-pixbuf/gdk-pixbuf.h>\n");
  tree.write("molecule/bonding.cpp", "#include <ui/main_window.h>\n");
  // Circles between units, not files: no file includes one that includes it back.
  tree.write("edit/selection.cpp", "#include \"edit/fragments.h\"\n");
  tree.write("edit/fragments.cpp", "#include \"app/startup.h\"\n");
  tree.write("app/startup.cpp", "#include \"edit/selection.h\"\n");
  tree.write("document/open_close.h", "#include \"document/undo.h\"\n");
  tree.write("document/undo.cpp", "#include \"document/open_close.h\"\n");
  tree.write("tools/gen.cpp", "");
  tree.write("main.cpp", "");
  // The drawing may use app below it, but never the editor or the undo history.
  tree.write("render/gl/view_gl.cpp",
             "#include \"app/settings.h\"\n#include \"edit/moves.h\"\n"
             "#include \"document/undo.h\"\n");

  const std::vector<std::string> problems = check_layering(tree.src());
  const std::pair<std::string, std::string> expected[] = {
      {"formats/grid_reader.cpp:1: ", "render/isosurface.h from a higher layer"},
      {"ui/main_window.cpp:1: ", "cli/json_writer.h from a peer layer"},
      {"ui/main_window.cpp:2: ", "unknown include \"nowhere.h\""},
      {"render/view.cpp:3: ", "<gtk/gtk.h>"},
      {"edit/moves.cpp:1: ", "<GL/gl.h>"},
      {"export/eps_prolog.cpp:3: ", "<gtk/gtk.h>"},
      {"formats/png.cpp:1: ", "<gdk-pixbuf/gdk-pixbuf.h>"},
      {"molecule/bonding.cpp:1: ", "ui/main_window.h from a higher layer"},
      {"edit/fragments.cpp:1: ", "app/startup.h from a higher layer"},
      {"circle between units: app/startup, edit/fragments, edit/selection", ""},
      {"circle between units: document/open_close, document/undo", ""},
      {"tools/gen.cpp: ", "tools"},
      {"main.cpp: ", "source root"},
      {"render/gl/view_gl.cpp:2: ", "edit/moves.h from a folder render/gl may not use"},
      {"render/gl/view_gl.cpp:3: ", "document/undo.h from a folder render/gl may not use"},
  };
  for (const auto& [start, words] : expected) {
    const auto matches = std::count_if(problems.begin(), problems.end(), [&](const std::string& p) {
      return p.rfind(start, 0) == 0 && p.find(words) != std::string::npos;
    });
    EXPECT_EQ(matches, 1) << start << "... " << words;
  }
  EXPECT_EQ(problems.size(), std::size(expected)) << testing::PrintToString(problems);
  EXPECT_TRUE(std::is_sorted(problems.begin(), problems.end()));
}

// Runs the program with `args`, both output streams going to `output`; returns its exit status.
int run_check(const std::string& args, const fs::path& output) {
  const int status =
      std::system((std::string(LAYERING_CHECK_EXE) + " " + args + " >'" + output.string() + "' 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string read_text(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

TEST(LayeringCheck, ExitStatusTellsCleanBrokenAndUnusable) {
  TempTree good, bad;
  write_good_tree(good);
  EXPECT_EQ(run_check("'" + good.src().string() + "'", good.outside("out")), 0);
  EXPECT_EQ(read_text(good.outside("out")), "");

  bad.write("molecule/mol_data.cpp", "#include \"ui/main_window.h\"\n#include <gtk/gtk.h>\n");
  EXPECT_EQ(run_check("'" + bad.src().string() + "'", bad.outside("out")), 1);
  EXPECT_EQ(read_text(bad.outside("out")),
            "molecule/mol_data.cpp:1: includes ui/main_window.h from a higher layer (ui, rank 9 > molecule, rank 1)\n"
            "molecule/mol_data.cpp:2: includes <gtk/gtk.h>; toolkit headers belong in ui only\n"
            "layering: 2 problems\n");

  // One part of the check, or the other: a type in two layers is no include problem.
  TempTree twice;
  twice.write("render/view.cpp", "namespace {\nstruct state_t {};\n}\n");
  twice.write("ui/timers.cpp", "struct state_t {};\n");
  EXPECT_EQ(run_check("--includes '" + twice.src().string() + "'", twice.outside("out")), 0);
  EXPECT_EQ(run_check("--types '" + twice.src().string() + "'", twice.outside("out")), 1);
  EXPECT_EQ(read_text(twice.outside("out")),
            "render/view.cpp:2: state_t is also defined in ui/timers.cpp:1\nlayering: 1 problems\n");
  EXPECT_EQ(run_check("'" + twice.src().string() + "'", twice.outside("out")), 1);
  EXPECT_EQ(run_check("--all '" + twice.src().string() + "'", twice.outside("out")), 2);

  EXPECT_EQ(run_check("'" + good.outside("missing").string() + "'", good.outside("out")), 2);
  EXPECT_EQ(run_check("'" + good.outside("out").string() + "'", good.outside("out2")), 2);  // a file, not a folder
  EXPECT_EQ(run_check("", good.outside("out")), 2);
}

}  // namespace
