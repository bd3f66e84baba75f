// Replacing a file all or nothing: what the new file looks like, what is refused, and that
// interrupted and short writes still give the whole content. Failures at each step of every
// writer are in test_safe_file_writes.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "files/atomic_file.h"
#include "tests/files/files_test_helpers.h"
#include "tests/support/failing_file_calls.h"
#include "tests/support/hang_watchdog.h"

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const fs::path& file) {
  struct stat info {};
  return ::stat(file.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

std::size_t EntriesIn(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(AtomicFile, NewFilesTakeTheUmaskReplacedFilesKeepTheirModeAndWritesMayBeChoppy) {
  TempDir dir;
  const mode_t umaskNow = ::umask(027);
  FailingFileCalls choppy;
  choppy.choppyWrites = true;
  // Larger than the writer's buffer, so that it goes out in several rounds of short writes.
  std::string content;
  for (int i = 0; content.size() < 150'000; ++i) content += std::to_string(i) + ",";
  ASSERT_TRUE(ReplaceFileContents(dir / "new.csv", content, choppy));
  ::umask(umaskNow);
  EXPECT_EQ(ReadBytes(dir / "new.csv"), content);
  EXPECT_EQ(ModeOf(dir / "new.csv"), 0640u);

  fs::permissions(dir / "new.csv", fs::perms(0604));
  ASSERT_TRUE(ReplaceFileContents(dir / "new.csv", "short"));
  EXPECT_EQ(ReadBytes(dir / "new.csv"), "short");
  EXPECT_EQ(ModeOf(dir / "new.csv"), 0604u);
  EXPECT_EQ(EntriesIn(dir / ""), 1u) << "no temporary file is left behind";
}

TEST(AtomicFile, ALinkIsFollowedAndWhatIsNotARegularFileIsRefusedUntouched) {
  TempDir dir;
  WriteBytes(dir / "real.cal", "old");
  fs::create_directory(dir / "data");
  fs::create_symlink("../real.cal", dir / "data" / "link.cal");
  ASSERT_TRUE(ReplaceFileContents(dir / "data" / "link.cal", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "data" / "link.cal")) << "the user's link stays";
  EXPECT_EQ(ReadBytes(dir / "real.cal"), "new");
  EXPECT_EQ(EntriesIn(dir / "data"), 1u) << "the new file was made next to the real one";

  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_directory(dir / "folder");
  fs::create_symlink("/dev/null", dir / "null");
  const HangWatchdog watchdog("refusing odd targets");
  for (const char* name : {"fifo", "folder", "null"}) {
    SCOPED_TRACE(name);
    const fs::file_type before = fs::symlink_status(dir / name).type();
    AtomicFile out;
    EXPECT_EQ(out.Begin(dir / name), AtomicFile::Start::TargetNotRegular);
    EXPECT_FALSE(ReplaceFileContents(dir / name, "x"));
    EXPECT_EQ(fs::symlink_status(dir / name).type(), before);
  }
  AtomicFile nowhere;
  EXPECT_EQ(nowhere.Begin(kUnwritableDir / "a.csv"), AtomicFile::Start::CannotCreate);
  if (::geteuid() != 0) {  // root may write any file
    fs::permissions(dir / "real.cal", fs::perms::owner_read);
    EXPECT_FALSE(ReplaceFileContents(dir / "real.cal", "newer"));
    EXPECT_EQ(ReadBytes(dir / "real.cal"), "new");
  }
  EXPECT_EQ(EntriesIn(dir / ""), 5u);
}

}  // namespace
