// Opening only regular files, and atomic writes that never replace what is
// not a writable regular file (the corpus test has read-only targets).
#include "formats/safe_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace {

mode_t mode_of(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool is_link(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A pipe without a writer or a device would block or never end a read:
// they are refused at once, as are directories.
TEST(SafeFile, OnlyRegularFilesAreOpened) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.mvr");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, dir.path(), std::string("/dev/zero"), std::string("/dev/null")}) {
    bool not_regular = false;
    EXPECT_FALSE(open_file_ptr(path, "rb", &not_regular)) << path;
    EXPECT_TRUE(not_regular) << path;
    EXPECT_TRUE(exists_but_not_regular(path)) << path;
  }
  bool not_regular = true;
  EXPECT_FALSE(open_file_ptr(dir.file("absent"), "rb", &not_regular));
  EXPECT_FALSE(not_regular);
  EXPECT_FALSE(exists_but_not_regular(dir.file("absent")));

  const std::string plain = dir.write("plain.mvr", "text\n");
  file_ptr f = open_file_ptr(plain, "rb");
  ASSERT_TRUE(f);
  char buf[8] = {};
  EXPECT_EQ(std::fread(buf, 1, sizeof buf, f.get()), 5u);
  EXPECT_EQ(std::string(buf), "text\n");
}

TEST(SafeFile, WritesGoThroughLinksAndNeverReplaceWhatMayNotBeWritten) {
  TempDir dir;
  // Through a relative link to a private file: the file is replaced, keeps
  // its permissions, and the link stays a link.
  dir.subdir("data");
  const std::string target = dir.write("data/target.mvr", "old\n");
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  const std::string link = dir.file("link.mvr");
  ASSERT_EQ(symlink("data/target.mvr", link.c_str()), 0);
  EXPECT_EQ(write_text_atomically(link, "new\n"), AtomicWrite::done);
  EXPECT_TRUE(is_link(link));
  EXPECT_EQ(read_file(target), "new\n");
  EXPECT_EQ(mode_of(target), 0600u);

  // A link to nothing creates the file it names; links in a circle and
  // anything that is not a regular file are refused.
  const std::string dangling = dir.file("dangling.mvr");
  ASSERT_EQ(symlink("created.mvr", dangling.c_str()), 0);
  EXPECT_EQ(write_text_atomically(dangling, "made\n"), AtomicWrite::done);
  EXPECT_EQ(read_file(dir.file("created.mvr")), "made\n");
  const std::string loop = dir.file("loop.mvr");
  ASSERT_EQ(symlink("loop.mvr", loop.c_str()), 0);
  EXPECT_EQ(write_text_atomically(loop, "x"), AtomicWrite::not_created);
  const std::string fifo = dir.file("fifo.ply");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(write_text_atomically(fifo, "x"), AtomicWrite::not_regular);
  EXPECT_TRUE(exists_but_not_regular(fifo));
  EXPECT_EQ(write_text_atomically("/dev/null", "x"), AtomicWrite::not_regular);
  EXPECT_EQ(atomic_write_message(AtomicWrite::not_regular, fifo),
            "ERROR: Can't write file: " + fifo + " (not a regular file)");
}

}  // namespace
