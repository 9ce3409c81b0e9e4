#include "formats/converters.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "document/open_close.h"
#include "document/save.h"
#include "document/undo.h"
#include "formats/child_limits.h"
#include "formats/file_types.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class Converters : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    const std::string plugins = std::string(MIVOR_SOURCE_DIR) + "/tests/data/plugins";
    read_input_filetypes(dir.write("plugin.rc", "libpath=" + plugins +
                                                    " forward=toy2mvr backward=mvr2toy extension=toy "
                                                    "description=\"Toy format\"\n"
                                                    "libpath=" +
                                                    plugins +
                                                    " forward=absent extension=gone\n"
                                                    "libpath=" +
                                                    plugins + " forward=fail2mvr extension=bad\n"));
  }
  void TearDown() override { close_test_file(); }

  TempDir dir;
  RecordingNotifier told;
};

TEST_F(Converters, ForeignFileIsConvertedBesideItAndOpened) {
  for (const char* name : {"plain.toy", "my mol;x.toy", "it's $HOME & `id`.toy", "-dash.toy"}) {
    const std::string p = dir.write(name, "C 0 0 0\nO 1.2 0 0\n");
    open_file(p, std::nullopt);
    EXPECT_TRUE(told.warnings.empty()) << name << ": " << (told.warnings.empty() ? "" : told.warnings[0]);
    ASSERT_EQ(m->natom(), 2) << name;
    EXPECT_EQ(atom_element(*m, 1).name, "O");
    EXPECT_EQ(input_file_name, p);  // the foreign name stays the file's name
    const std::string stem = p.substr(0, p.size() - 4);
    EXPECT_TRUE(file_exists(stem + ".mvr")) << name;
  }
}

TEST_F(Converters, TypeChosenByDescriptionOverridesTheExtension) {
  const std::string p = dir.write("molecule.txt", "N 0 0 0\n");
  open_file(p, std::string("Toy format"));
  ASSERT_EQ(m->natom(), 1);
  EXPECT_EQ(input_file_type, "Toy format");
}

TEST_F(Converters, SaveWritesTheNativeFileThenTheForeignOne) {
  open_file(dir.write("in.toy", "C 0 0 0\nC 1.5 0 0\n"), std::nullopt);
  const std::string out = dir.file("out put;$y.toy");
  ASSERT_TRUE(mivor_gtk_do_save_file(out, get_filetype(out)));
  EXPECT_TRUE(file_exists(dir.file("out put;$y.mvr")));
  EXPECT_EQ(read_file(out), "C 0.000000000 0.000000000 0.000000000\nC 1.500000000 0.000000000 0.000000000\n");
  EXPECT_EQ(told.statuses.back(), (std::pair{StatusBar::lower, "File saved to: " + out}));

  // A name without an extension saves the native file only; an extension
  // that no converter writes is refused, and nothing is written.
  ASSERT_TRUE(mivor_gtk_do_save_file(dir.file("copy"), save_type_of(dir.file("copy"))));
  EXPECT_TRUE(file_exists(dir.file("copy.mvr")));
  for (const char* name : {"other.gone", "other.xyz"}) {
    told.warnings.clear();
    EXPECT_FALSE(mivor_gtk_do_save_file(dir.file(name), save_type_of(dir.file(name))));
    EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Can't open file: unknown filetype!"});
  }
  EXPECT_FALSE(file_exists(dir.file("other.mvr")));

  // The native copy beside a foreign target never replaces a file of the
  // user's; the open document's own copy (in.mvr beside in.toy) may be.
  const std::string users = dir.write("kept.mvr", "the user's own file\n");
  told.warnings.clear();
  EXPECT_FALSE(mivor_gtk_do_save_file(dir.file("kept.toy"), get_filetype(dir.file("kept.toy"))));
  EXPECT_EQ(read_file(users), "the user's own file\n");
  EXPECT_FALSE(file_exists(dir.file("kept.toy")));
  ASSERT_EQ(told.warnings.size(), 1u);
  EXPECT_NE(told.warnings[0].find("kept.mvr would replace a file"), std::string::npos);
  EXPECT_TRUE(mivor_gtk_do_save_file(dir.file("in.toy"), get_filetype(dir.file("in.toy"))));
}

// A converter that can't run, or that fails, is reported with the line it
// wrote; the molecule shown stays, and nothing was converted.
TEST_F(Converters, FailedConversionIsReportedAndTheMoleculeStays) {
  const std::string shown = dir.write("shown.toy", "C 0 0 0\nO 1.2 0 0\n");
  open_file(shown, std::nullopt);
  ASSERT_EQ(m->natom(), 2);

  const std::string p = dir.write("a.gone", "C 0 0 0\n");
  open_file(p, std::nullopt);
  EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Can't process file: " + p});
  const std::string bad = dir.write("b.bad", "C 0 0 0\n");
  open_file(bad, std::nullopt);
  ASSERT_EQ(told.warnings.size(), 2u);
  EXPECT_EQ(told.warnings[1], "ERROR: Can't process file: " + bad + "\n" + bad + ": line 3: this is not a toy file");
  EXPECT_EQ(m->natom(), 2);
  EXPECT_EQ(input_file_name, shown);
  EXPECT_FALSE(file_exists(dir.file("b.mvr")));

  const converter_run_t run = run_converter(std::string(MIVOR_SOURCE_DIR) + "/tests/data/plugins/fail2mvr", "x");
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.message, "x: line 3: this is not a toy file");
  EXPECT_EQ(told.waits_done, 3);  // every run ended its wait, failed or not

  // A converter that reads its standard input gets an empty one, never the
  // terminal (which would stop it, being in a group of its own).
  const std::string reader = dir.write("read2mvr", "#!/bin/sh\nread line\necho \"got [$line]\" >&2\nexit 4\n");
  chmod(reader.c_str(), 0755);
  const converter_run_t read_run = run_converter(reader, "x");
  EXPECT_EQ(read_run.status, 4);
  EXPECT_EQ(read_run.message, "got []");
}

// While a converter runs the window is told it waits; when the user stops
// it, the converter and what it started end at once, the conversion counts
// as failed with its reason, and the molecule shown stays.
TEST_F(Converters, StoppedConverterEndsWithWhatItStartedAndTheMoleculeStays) {
  const std::string shown = dir.write("shown.toy", "C 0 0 0\nO 1.2 0 0\n");
  open_file(shown, std::nullopt);
  ASSERT_EQ(m->natom(), 2);
  EXPECT_FALSE(told.waits.empty());
  EXPECT_EQ(told.waits[0], "Converting " + shown);

  // A converter that starts a long-running program holding its standard
  // error: the stop must not wait for that program.
  const std::string slow = dir.write("slow2mvr", "#!/bin/sh\nsleep 60\necho never >&2\n");
  chmod(slow.c_str(), 0755);
  read_input_filetypes(dir.write("plugin2.rc", "libpath=" + dir.path() + " forward=slow2mvr extension=slow\n"));
  told.waits.clear();
  told.stop_at = 3;
  const std::string p = dir.write("x.slow", "C 0 0 0\n");
  open_file(p, std::nullopt);
  EXPECT_EQ(told.waits.size(), 3u);
  EXPECT_EQ(told.warnings,
            std::vector<std::string>{"ERROR: Can't process file: " + p + "\nThe converter was stopped."});
  EXPECT_EQ(m->natom(), 2);
  EXPECT_EQ(input_file_name, shown);
  EXPECT_FALSE(file_exists(dir.file("x.mvr")));
}

// Whether process `pid` has ended (gone, or a zombie nobody reaped yet).
bool process_gone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  const size_t close = text.rfind(')');
  return close == std::string::npos || close + 2 >= text.size() || text[close + 2] == 'Z';
}

// Waits up to `seconds` for `done`.
bool wait_for(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

pid_t pid_in(const std::string& path) {
  pid_t pid = 0;
  std::ifstream(path) >> pid;
  return pid;
}

// A converter never outlives the program that runs it: stopped at its time
// limit with a message that says so, and ended when its caller is killed.
TEST_F(Converters, HangingConverterIsStoppedAtItsLimitAndEndsWithItsCaller) {
  const std::string plugins = std::string(MIVOR_SOURCE_DIR) + "/tests/data/plugins";
  dir.subdir("rc");
  const std::string rc = dir.write("rc/plugin.rc", "libpath=" + plugins + " forward=hang2mvr extension=hang\n");
  read_input_filetypes(rc);
  {
    ScopedEnv limit("MIVOR_CONVERTER_TIMEOUT", "1");
    const std::string p = dir.write("x.hang", "C 0 0 0\n");
    const auto start = std::chrono::steady_clock::now();
    open_file(p, std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1 + kill_after_seconds + 2));
    EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Can't process file: " + p +
                                                      "\nThe converter was stopped: it ran longer than 1 second, "
                                                      "the time limit (MIVOR_CONVERTER_TIMEOUT)."});
    EXPECT_TRUE(process_gone(pid_in(p + ".pid")));
  }

  // mivor-cli killed while its converter runs: the converter goes too.
  const std::string p = dir.write("y.hang", "C 0 0 0\n");
  ScopedEnv config("MIVOR_DIR", dir.file("rc").c_str());
  const pid_t cli = fork();
  if (cli == 0) {
    execl(MIVOR_CLI_BINARY, MIVOR_CLI_BINARY, "info", p.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(cli, 0);
  ASSERT_TRUE(wait_for([&] { return pid_in(p + ".pid") > 0; }, 10)) << "the converter did not start";
  const pid_t converter = pid_in(p + ".pid");
  EXPECT_FALSE(process_gone(converter));
  kill(cli, SIGKILL);
  waitpid(cli, nullptr, 0);
  EXPECT_TRUE(wait_for([&] { return process_gone(converter); }, 5)) << "the converter outlived its caller";
  if (!process_gone(converter)) kill(converter, SIGKILL);
}

}  // namespace
