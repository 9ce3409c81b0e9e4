#include "app/calculation.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <new>
#include <sstream>
#include <thread>

#include "app/calc_defs.h"
#include "document/current_file.h"
#include "document/open_close.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

using clock_type = std::chrono::system_clock;

// A native file of one geometry with `natoms` hydrogen atoms in a row.
std::string native_text(int natoms) {
  std::string text = "  " + std::to_string(natoms) + "\nstate " + std::to_string(natoms) + "\n";
  for (int i = 0; i < natoms; ++i) text += " H 0.0 0.0 " + std::to_string(0.8 * i) + "\n";
  return text + " <END>\n";
}

// A calculation program: logs its working directory and arguments, then
// rewrites the file named last (through a temporary file) `rewrites` times,
// 1.5 s apart, with one atom more each time, noting when.
std::string write_plugin(const TempDir& dir, int rewrites) {
  std::ostringstream s;
  s << "#!/bin/sh\n"
    << "log=\"" << dir.file("plugin.log") << "\"\n"
    << "eval out=\\${$#}\n"
    << "printf '%s\\n' \"$PWD\" \"$0\" \"$@\" > \"$log\"\n"
    << "n=1\n"
    << "while [ $n -le " << rewrites << " ]; do\n"
    << "  sleep 1.5\n"
    << "  k=$((n + 1))\n"
    << "  { echo \"  $k\"; echo step; i=0; while [ $i -lt $k ]; do echo \" H 0 0 $i\"; i=$((i + 1)); done;"
    << "    echo ' <END>'; } > \"$out.tmp\"\n"
    << "  mv \"$out.tmp\" \"$out\"\n"
    << "  date +%s.%N >> \"" << dir.file("times.log") << "\"\n"
    << "  n=$k\n"
    << "done\n";
  const std::string path = dir.write("plugin.sh", s.str());
  chmod(path.c_str(), 0755);
  return path;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

double seconds_since_epoch(clock_type::time_point t) {
  return std::chrono::duration<double>(t.time_since_epoch()).count();
}

// Hands warnings and status texts on to `to`, but runs out of memory the
// first time `starved` is to be said.
class StarvedNotifier final : public Notifier {
 public:
  StarvedNotifier(RecordingNotifier& to, std::string starved) : to_(to), starved_(std::move(starved)) {
    set_notifier(this);
  }
  ~StarvedNotifier() override { set_notifier(&to_); }
  StarvedNotifier(const StarvedNotifier&) = delete;
  StarvedNotifier& operator=(const StarvedNotifier&) = delete;

  void warning(const std::string& text) override { to_.warning(text); }
  void status(StatusBar bar, const std::string& text) override {
    if (!starved_.empty() && text == starved_) {
      starved_.clear();
      throw std::bad_alloc();
    }
    to_.status(bar, text);
  }

 private:
  RecordingNotifier& to_;
  std::string starved_;
};

class Calculation : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    reset_calculation_state();
    char buffer[4096];
    ASSERT_TRUE(getcwd(buffer, sizeof buffer));
    old_cwd = buffer;
    work = dir.subdir("work");
    ASSERT_EQ(chdir(work.c_str()), 0);
    open_file(dir.write("start.mvr", native_text(1)), std::nullopt);
    ASSERT_EQ(m->natom(), 1);
  }
  void TearDown() override {
    reset_calculation_state();
    if (chdir(old_cwd.c_str()) != 0) std::abort();
    close_test_file();
  }

  // Runs the main loop until `done` or `seconds` have passed.
  static bool run_until(const std::function<bool()>& done, double seconds) {
    const auto end = clock_type::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (clock_type::now() > end) return false;
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  int count_status(const char* text) const {
    int n = 0;
    for (const auto& [bar, said] : notes.statuses) n += bar == StatusBar::lower && said == text;
    return n;
  }

  RecordingNotifier notes;
  TempDir dir;
  std::string old_cwd, work;
};

TEST_F(Calculation, PluginIsStartedAsDefinedAndFollowedToTheEnd) {
  const std::string plugin = write_plugin(dir, 3);
  const std::string run_dir = dir.subdir("run");
  // Keys count at word starts outside quotes: "path" inside the description
  // and "file" inside the program's folder name are no keys.
  ASSERT_TRUE(read_calc_defs(dir.write(
      "calculation.rc", "# plugin=/never/this\nplugin=" + plugin + " path=" + run_dir +
                            " description=\"Follow the path; no file needed\" arg1=-n arg_val1=4 arg_des1=processes\n"
                            "plugin=/opt/filetools/run description=\"type of run\" arg1=-x arg10=-y\n")));
  ASSERT_EQ(n_calc_defs(), 2);
  EXPECT_EQ(calc_defs[0].path, run_dir);
  EXPECT_FALSE(calc_defs[0].file);
  EXPECT_EQ(calc_defs[0].description, "Follow the path; no file needed");
  EXPECT_EQ(calc_defs[1].plugin, "/opt/filetools/run");
  EXPECT_FALSE(calc_defs[1].file);
  EXPECT_FALSE(calc_defs[1].type);
  EXPECT_EQ(calc_defs[1].arg_name, std::vector<std::string>{"-x"});  // arg10 is not arg1's second match

  // newfile_001.mvr exists: the molecule goes to newfile_002.mvr.
  const std::string taken = dir.write("work/newfile_001.mvr", "keep me");
  ASSERT_TRUE(mivor_start_calculation(0, std::nullopt, {"2"}));
  const std::string name = work + "/newfile_002.mvr";
  EXPECT_EQ(read_file(taken), "keep me");
  EXPECT_TRUE(calculation_running());
  EXPECT_EQ(count_status(calc_started_text), 1);

  // A second calculation while one runs is refused with a message.
  EXPECT_FALSE(mivor_start_calculation(0, std::nullopt, {"2"}));
  ASSERT_EQ(notes.warnings.size(), 1u);
  EXPECT_EQ(notes.warnings[0], calc_busy_text);
  EXPECT_FALSE(file_exists(work + "/newfile_003.mvr"));

  // Each rewrite is on screen within 2.5 s of being written.
  std::vector<double> seen;
  for (int natoms = 2; natoms <= 4; ++natoms) {
    ASSERT_TRUE(run_until([&] { return m->natom() == natoms; }, 4.0)) << natoms << " atoms never shown";
    seen.push_back(seconds_since_epoch(clock_type::now()));
    EXPECT_EQ(input_file_name, name);
  }
  ASSERT_TRUE(run_until([] { return !calculation_running(); }, 4.0));
  run_until([] { return false; }, 1.2);  // no second "completed" after the end
  EXPECT_EQ(count_status(calc_completed_text), 1);
  EXPECT_GE(count_status(calc_running_text), 3);
  EXPECT_EQ(notes.warnings.size(), 1u);

  const std::vector<std::string> written = lines_of(read_file(dir.file("times.log")));
  ASSERT_EQ(written.size(), 3u);
  for (size_t k = 0; k < 3; ++k) EXPECT_LT(seen[k] - std::stod(written[k]), 2.5) << "rewrite " << k + 1;
  // Working directory, program, its word and the entry's text, the file last.
  EXPECT_EQ(lines_of(read_file(dir.file("plugin.log"))), (std::vector<std::string>{run_dir, plugin, "-n", "2", name}));
}

TEST_F(Calculation, FailuresKeepTheMoleculeAndSayWhy) {
  const std::string start = input_file_name;
  // A program that is not there: the toolkit's message; nothing changes.
  ASSERT_TRUE(read_calc_defs(dir.write("calculation.rc", "plugin=" + dir.file("missing") + " path=/tmp\n")));
  EXPECT_FALSE(mivor_start_calculation(0, std::nullopt, {}));
  ASSERT_EQ(notes.warnings.size(), 1u);
  EXPECT_NE(notes.warnings[0].find("missing"), std::string::npos) << notes.warnings[0];
  EXPECT_FALSE(calculation_running());
  EXPECT_EQ(input_file_name, start);

  // A program that fails at once, without "path" and MIVOR_DIR: it ran in
  // our working directory, and its last lines of standard error are shown.
  ScopedEnv no_dir("MIVOR_DIR", nullptr);
  const std::string failing = dir.write("failing.sh",
                                        "#!/bin/sh\nfor i in 1 2 3 4 5 6 7 8 9 10 11 12; do echo noise $i >&2; done\n"
                                        "echo \"in $PWD\" >&2\necho 'no basis set' >&2\nexit 3\n");
  chmod(failing.c_str(), 0755);
  ASSERT_TRUE(read_calc_defs(dir.write("calculation.rc", "plugin=" + failing + " file=density\n")));
  EXPECT_FALSE(calc_defs[0].path);
  // The definition takes a file: none chosen, nothing started or saved.
  EXPECT_FALSE(mivor_start_calculation(0, std::nullopt, {}));
  EXPECT_EQ(notes.warnings.back(), calc_no_file_text);
  EXPECT_FALSE(file_exists(work + "/newfile_002.mvr"));

  notes.warnings.clear();
  ASSERT_TRUE(mivor_start_calculation(0, dir.file("start.mvr"), {}));
  ASSERT_TRUE(run_until([] { return !calculation_running(); }, 5.0));
  ASSERT_EQ(notes.warnings.size(), 1u);
  const std::string& message = notes.warnings[0];
  EXPECT_NE(message.find("exited with status 3"), std::string::npos) << message;
  EXPECT_NE(message.find("in " + work + "\nno basis set"), std::string::npos) << message;
  EXPECT_EQ(message.find("noise 2\n"), std::string::npos) << "only the last lines: " << message;
  EXPECT_EQ(count_status(calc_failed_text), 1);
  EXPECT_EQ(count_status(calc_completed_text), 0);
  EXPECT_EQ(input_file_name, start);
  EXPECT_EQ(m->natom(), 1);
}

TEST_F(Calculation, StopEndsTheProgramAndWhatItStarted) {
  const std::string pids = dir.file("pids");
  const std::string slow = dir.write("slow.sh", "#!/bin/sh\nsleep 60 &\necho $$ $! > '" + pids + "'\nwait\n");
  chmod(slow.c_str(), 0755);
  ASSERT_TRUE(read_calc_defs(dir.write("calculation.rc", "plugin=" + slow + "\n")));
  ASSERT_TRUE(mivor_start_calculation(0, std::nullopt, {}));
  ASSERT_TRUE(run_until([&] { return file_exists(pids) && !read_file(pids).empty(); }, 5.0));
  ASSERT_TRUE(run_until([] { return input_file_name.find("newfile_001.mvr") != std::string::npos; }, 3.0));
  mivor_stop_calculation();
  ASSERT_TRUE(run_until([] { return !calculation_running(); }, 5.0));
  EXPECT_EQ(count_status(calc_stopped_text), 1);
  EXPECT_EQ(count_status(calc_completed_text), 0);
  EXPECT_TRUE(notes.warnings.empty());
  std::istringstream in(read_file(pids));
  pid_t shell = 0, child = 0;
  in >> shell >> child;
  ASSERT_GT(child, 0);
  EXPECT_TRUE(run_until([&] { return kill(child, 0) != 0; }, 2.0)) << "the program's own child still runs";
  // The file keeps the molecule as saved.
  EXPECT_EQ(m->natom(), 1);
}

// A program past its time limit is stopped with what it started, and the
// warning says why.
TEST_F(Calculation, ProgramPastItsTimeLimitIsStoppedAndSaysSo) {
  ScopedEnv limit("MIVOR_CALCULATION_TIMEOUT", "1");
  const std::string pid = dir.file("pid");
  const std::string slow = dir.write("forever.sh", "#!/bin/sh\necho $$ > '" + pid + "'\nexec sleep 60\n");
  chmod(slow.c_str(), 0755);
  ASSERT_TRUE(read_calc_defs(dir.write("calculation.rc", "plugin=" + slow + "\n")));
  ASSERT_TRUE(mivor_start_calculation(0, std::nullopt, {}));
  ASSERT_TRUE(run_until([] { return !calculation_running(); }, 8.0));
  EXPECT_EQ(count_status(calc_failed_text), 1);
  ASSERT_EQ(notes.warnings.size(), 1u);
  EXPECT_EQ(notes.warnings[0].rfind("The calculation " + slow +
                                        " was stopped: it ran longer than 1 second, the time limit "
                                        "(MIVOR_CALCULATION_TIMEOUT).",
                                    0),
            0u)
      << notes.warnings[0];
  pid_t program = 0;
  std::ifstream(pid) >> program;
  ASSERT_GT(program, 0);
  EXPECT_NE(kill(program, 0), 0) << "the program still runs";  // ended and reaped
}

// Memory that runs out while a run ends, in the follow-up timer or in the
// child's watch, is one message: the run still ends as it would have, a
// failed one without replacing the molecule on show, and the next one starts.
TEST_F(Calculation, RunningOutOfMemoryAtTheEndStillEndsTheRun) {
  const std::string writes = dir.write("writes.sh",
                                       "#!/bin/sh\neval out=\\${$#}\n"
                                       "printf '  2\\nstep\\n H 0 0 0\\n H 0 0 1\\n <END>\\n' > \"$out.tmp\"\n"
                                       "mv \"$out.tmp\" \"$out\"\n");
  chmod(writes.c_str(), 0755);
  ASSERT_TRUE(read_calc_defs(dir.write("calculation.rc", "plugin=" + writes + "\n")));
  {
    StarvedNotifier starved(notes, calc_completed_text);
    ASSERT_TRUE(mivor_start_calculation(0, std::nullopt, {}));
    ASSERT_TRUE(run_until([] { return !calculation_running(); }, 5.0));
  }
  EXPECT_EQ(notes.warnings, std::vector<std::string>{"ERROR: Not enough memory"});
  EXPECT_EQ(count_status(calc_completed_text), 1);
  EXPECT_EQ(m->natom(), 2);

  notes.warnings.clear();
  const std::string shown = input_file_name;
  const std::string failing = dir.write("failing.sh", "#!/bin/sh\necho 'no basis set' >&2\nexit 3\n");
  chmod(failing.c_str(), 0755);
  ASSERT_TRUE(read_calc_defs(dir.write("calculation.rc", "plugin=" + failing + "\n")));
  {
    StarvedNotifier starved(notes, calc_failed_text);
    ASSERT_TRUE(mivor_start_calculation(0, std::nullopt, {}));
    ASSERT_TRUE(run_until([] { return !calculation_running(); }, 5.0));
  }
  ASSERT_EQ(notes.warnings.size(), 2u);
  EXPECT_EQ(notes.warnings[0], "ERROR: Not enough memory");
  EXPECT_NE(notes.warnings[1].find("exited with status 3"), std::string::npos) << notes.warnings[1];
  EXPECT_NE(notes.warnings[1].find("no basis set"), std::string::npos) << notes.warnings[1];
  EXPECT_EQ(count_status(calc_failed_text), 1);
  EXPECT_EQ(input_file_name, shown);
  EXPECT_EQ(m->natom(), 2);

  ASSERT_TRUE(mivor_start_calculation(0, std::nullopt, {}));
  EXPECT_TRUE(run_until([] { return !calculation_running(); }, 5.0));
  EXPECT_EQ(count_status(calc_failed_text), 2);
}

}  // namespace
