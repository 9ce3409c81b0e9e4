#include "document/open_close.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "document/undo.h"
#include "formats/file_types.h"
#include "molecule/mol_data.h"
#include "support/recording_notifier.h"
#include "support/temp_dir.h"

namespace {

class OpenClose : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_core_state();
    read_input_filetypes(dir.file("no-plugins.rc"));
  }
  void TearDown() override { close_test_file(); }

  void set_mtime(const std::string& p, time_t t) {
    struct utimbuf times = {t, t};
    utime(p.c_str(), &times);
  }

  TempDir dir;
  RecordingNotifier told;
};

const char one_carbon[] = "1\nc\nC 0 0 0\n <END>\n";
const char two_carbons[] = "2\nc\nC 0 0 0\nC 1.5 0 0\n <END>\n";

TEST_F(OpenClose, NameWithoutDotOrKnownTypeIsRefused) {
  for (const char* name : {"noextension", "mol.xyz"}) {
    told.warnings.clear();
    open_file(dir.write(name, one_carbon), std::nullopt);
    EXPECT_EQ(told.warnings, std::vector<std::string>{"ERROR: Can't open file: unknown filetype!"}) << name;
    EXPECT_EQ(n_geometries(), 1);
    EXPECT_EQ(m->natom(), 0);
    EXPECT_EQ(input_file_name, "new_file.mvr");
    EXPECT_EQ(watched_file.mtime, 0);
  }
}

TEST_F(OpenClose, NativeFileByExtensionOrByDescription) {
  const std::string p = dir.write("a.mvr", one_carbon);
  open_file(p, std::nullopt);
  EXPECT_EQ(m->natom(), 1);
  EXPECT_EQ(input_file_name, p);
  EXPECT_EQ(current_directory, dir.path());
  EXPECT_NE(watched_file.mtime, 0);
  EXPECT_EQ(told.statuses.back(), (std::pair{StatusBar::upper, p}));
  EXPECT_EQ(told.file_events.back(), FileEvent::opened);

  const std::string q = dir.write("b.data", two_carbons);
  open_file(q, std::string("Mivor native format"));
  EXPECT_EQ(m->natom(), 2);
  EXPECT_EQ(input_file_type, "Mivor native format");
}

TEST_F(OpenClose, CloseLeavesOneEmptyGeometryAndNothingToWatch) {
  open_file(dir.write("a.mvr", two_carbons), std::nullopt);
  igeo = 0;
  close_file();
  EXPECT_EQ(n_geometries(), 1);
  EXPECT_EQ(m, mol.data());
  EXPECT_EQ(m->natom(), 0);
  EXPECT_EQ(m->editable, 1);
  EXPECT_EQ(input_file_name, "new_file.mvr");
  EXPECT_EQ(watched_file.mtime, 0);
  EXPECT_EQ(told.file_events.back(), FileEvent::closed);
  check_if_file_changed();  // nothing to watch
  EXPECT_EQ(m->natom(), 0);
}

TEST_F(OpenClose, ChangedFileIsReloadedOnceUnchangedOneNot) {
  const std::string p = dir.write("a.mvr", one_carbon);
  set_mtime(p, 1000000);
  open_file(p, std::nullopt);
  EXPECT_EQ(m->natom(), 1);

  dir.write("a.mvr", "1\nx\nN 0 0 0\n <END>\n");  // same size
  set_mtime(p, 1000000);
  check_if_file_changed();
  EXPECT_EQ(atom_element(*m, 0).name, "C");

  dir.write("a.mvr", two_carbons);
  set_mtime(p, 1000000);  // same second, other size
  const int rebuilds = told.rebuilds;
  check_if_file_changed();
  EXPECT_EQ(m->natom(), 2);
  EXPECT_EQ(told.rebuilds, rebuilds + 1);

  dir.write("a.mvr", "2\nx\nN 0 0 0\nN 1.1 0 0\n <END>\n");
  set_mtime(p, 1000005);  // same size, later second
  check_if_file_changed();
  EXPECT_EQ(atom_element(*m, 0).name, "N");

  // A program that replaces the file by a rename within the same second and
  // with the same size is still followed: the inode tells the new file.
  const std::string next = dir.write("a.next", "2\nx\nO 0 0 0\nO 1.1 0 0\n <END>\n");
  set_mtime(next, 1000005);
  ASSERT_EQ(std::rename(next.c_str(), p.c_str()), 0);
  check_if_file_changed();
  EXPECT_EQ(atom_element(*m, 0).name, "O");

  std::remove(p.c_str());
  check_if_file_changed();  // gone: nothing happens
  EXPECT_EQ(m->natom(), 2);
}

TEST_F(OpenClose, FileSeenHalfWrittenIsShownOnceWhole) {
  const std::string p = dir.write("a.mvr", one_carbon);
  set_mtime(p, 1000000);
  open_file(p, std::nullopt);

  dir.write("a.mvr", "");  // truncated by the writer, not yet rewritten
  set_mtime(p, 1000001);
  check_if_file_changed();
  EXPECT_EQ(input_file_name, p);

  dir.write("a.mvr", two_carbons);
  set_mtime(p, 1000002);
  check_if_file_changed();
  EXPECT_EQ(m->natom(), 2);
  EXPECT_EQ(input_file_name, p);
}

// A file changed a moment ago, or emptied, is being written: the molecule
// on show stays and the watch looks again soon; once the file has stayed
// unchanged for a while it is read.
TEST_F(OpenClose, AFileBeingWrittenIsReadOnceItStaysUnchanged) {
  const std::string p = dir.write("a.mvr", one_carbon);
  set_mtime(p, 1000000);
  open_file(p, std::nullopt);
  dir.write("a.mvr", two_carbons);
  EXPECT_TRUE(check_if_file_changed());
  EXPECT_EQ(m->natom(), 1);
  set_mtime(p, 1000001);
  EXPECT_FALSE(check_if_file_changed());
  EXPECT_EQ(m->natom(), 2);
  dir.write("a.mvr", "");
  set_mtime(p, 1000002);
  EXPECT_TRUE(check_if_file_changed());
  EXPECT_EQ(m->natom(), 2);
}

// Rewrites the file at the end of each read of it, with the next of
// `texts` while there are any, as a program writing it then would.
class rewriting_notifier_t final : public Notifier {
 public:
  rewriting_notifier_t(const TempDir& dir, std::vector<std::string> texts) : dir_(dir), texts_(std::move(texts)) {
    set_notifier(this);
  }
  ~rewriting_notifier_t() override { set_notifier(nullptr); }
  void file_event(FileEvent event) override {
    if (event != FileEvent::opened || texts_.empty()) return;
    dir_.write("a.mvr", texts_.front());
    texts_.erase(texts_.begin());
  }
  void warning(const std::string& text) override { warnings.push_back(text); }
  void status(StatusBar, const std::string& text) override { statuses.push_back(text); }
  std::vector<std::string> warnings, statuses;

 private:
  const TempDir& dir_;
  std::vector<std::string> texts_;
};

TEST_F(OpenClose, AFileChangedWhileItIsReadIsReadAgainOrNotShown) {
  const std::string p = dir.write("a.mvr", one_carbon);
  set_mtime(p, 1000000);
  open_file(p, std::nullopt);
  const char three[] = "3\nc\nC 0 0 0\nC 1.5 0 0\nC 3 0 0\n <END>\n";
  {
    // Seen cut short (its atoms missing), then whole: only the whole file
    // is shown, and the cut one's warning is not.
    rewriting_notifier_t writer(dir, {three});
    dir.write("a.mvr", "3\nc\nC 0 0 0\n <END>\n");
    set_mtime(p, 1000001);
    EXPECT_FALSE(check_if_file_changed());
    EXPECT_EQ(m->natom(), 3);
    EXPECT_EQ(writer.warnings, std::vector<std::string>{});
  }
  {
    // Changed under every read: after three, nothing read is shown, and
    // the file is read again once it stays unchanged.
    rewriting_notifier_t writer(dir, {one_carbon, two_carbons, one_carbon});
    dir.write("a.mvr", two_carbons);
    set_mtime(p, 1000002);
    EXPECT_FALSE(check_if_file_changed());
    EXPECT_EQ(m->natom(), 0);
    EXPECT_EQ(input_file_name, p);
    ASSERT_FALSE(writer.statuses.empty());
    EXPECT_EQ(writer.statuses.back(), "The file " + p + " is being written: it is shown once it is whole");
    set_mtime(p, 1000003);
    EXPECT_FALSE(check_if_file_changed());
    EXPECT_EQ(m->natom(), 1);
  }
}

}  // namespace
