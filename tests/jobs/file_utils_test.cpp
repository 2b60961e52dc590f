#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <cstdlib>
#include <string>

#include "jobs/file_utils.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

using namespace stampwell;
using stampwell::test::ListTree;
using stampwell::test::MessageRecorder;
using stampwell::test::ReadFile;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;

namespace {

// Bytes that differ from block to block, so a repeated, skipped or shifted block shows.
std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  unsigned x = 2463534242u;
  for (auto& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x & 0xFF);
  }
  return s;
}

// Sets HOME for the lifetime of the object.
class ScopedHome {
 public:
  explicit ScopedHome(const std::string& home) {
    if (const char* old = std::getenv("HOME")) {
      had_ = true;
      old_ = old;
    }
    ::setenv("HOME", home.c_str(), 1);
  }
  ~ScopedHome() {
    if (had_)
      ::setenv("HOME", old_.c_str(), 1);
    else
      ::unsetenv("HOME");
  }

 private:
  bool had_ = false;
  std::string old_;
};

}  // namespace

// --- Copying the bytes -------------------------------------------------------------------

class CopyFileBlocksSizes : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CopyFileBlocksSizes, DestinationHoldsExactlyTheSourceBytes) {
  TempDir dir;
  MessageRecorder messages;
  std::string bytes = Pattern(GetParam());
  WriteFile(dir / "src.bin", bytes);
  CopyFileBlocks(dir / "src.bin", dir / "dst.bin");
  ASSERT_TRUE(FileExists(dir / "dst.bin"));
  EXPECT_EQ(ReadFile(dir / "dst.bin"), bytes);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(ListTree(dir.Path()), (std::vector<std::string>{"dst.bin", "src.bin"}));
}

// Around the 4097-byte block: empty, one byte short, exactly one block, one block and one
// byte, two whole blocks, and a large file of many blocks with a short tail.
INSTANTIATE_TEST_SUITE_P(BlockEdges, CopyFileBlocksSizes,
                         ::testing::Values(0, 1, 4096, 4097, 4098, 8194, 8195, 4097 * 300 + 17));

TEST(CopyFileBlocks, KeepsZeroBytesAndLineEndsUntouched) {
  TempDir dir;
  std::string bytes("a\0b\r\nc\rd\n\0", 10);
  WriteFile(dir / "src", bytes);
  CopyFileBlocks(dir / "src", dir / "dst");
  EXPECT_EQ(ReadFile(dir / "dst"), bytes);
}

TEST(CopyFileBlocks, OverwritesAnExistingLongerDestination) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src", "short");
  WriteFile(dir / "dst", Pattern(10000));
  CopyFileBlocks(dir / "src", dir / "dst");
  EXPECT_EQ(ReadFile(dir / "dst"), "short");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST(CopyFileBlocks, CopyOntoItselfKeepsTheContent) {
  TempDir dir;
  std::string bytes = Pattern(5000);
  WriteFile(dir / "same", bytes);
  CopyFileBlocks(dir / "same", dir / "same");
  EXPECT_EQ(ReadFile(dir / "same"), bytes);
}

TEST(CopyFileBlocks, CreatesMissingNestedDestinationFolders) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src.doc", "doc bytes");
  CopyFileBlocks(dir / "src.doc", dir / "a/b/c/out.doc");
  EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
  EXPECT_EQ(ReadFile(dir / "a/b/c/out.doc"), "doc bytes");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST(CopyFileBlocks, NewFileGetsOrdinaryPermissionsNotThoseOfATemporaryFile) {
  TempDir dir;
  WriteFile(dir / "src", "x");
  ::chmod((dir / "src").c_str(), 0400);
  mode_t old = ::umask(022);
  CopyFileBlocks(dir / "src", dir / "dst");
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat((dir / "dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// --- Failures: one message, and never a destination file ---------------------------------

TEST(CopyFileBlocksFailure, MissingSourceShowsMessageAndCreatesNothing) {
  TempDir dir;
  MessageRecorder messages;
  std::string source = dir / "missing.doc";
  CopyFileBlocks(source, dir / "out/dst.doc");
  EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Error in copy" + source});
  EXPECT_FALSE(FileExists(dir / "out/dst.doc"));
  EXPECT_TRUE(ListTree(dir.Path()).empty());
}

TEST(CopyFileBlocksFailure, SourceThatIsAFolderLeavesNoDestination) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "folder/inside", "x");
  CopyFileBlocks(dir / "folder", dir / "dst");
  EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Error in copy" + (dir / "folder")});
  EXPECT_EQ(ListTree(dir.Path()), std::vector<std::string>{"folder/inside"});
}

TEST(CopyFileBlocksFailure, DestinationFolderBlockedByAFile) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src", "bytes");
  WriteFile(dir / "blocker", "i am a file");
  CopyFileBlocks(dir / "src", dir / "blocker/sub/dst");
  EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Error in copy" + (dir / "src")});
  EXPECT_EQ(ReadFile(dir / "blocker"), "i am a file");
  EXPECT_EQ(ListTree(dir.Path()), (std::vector<std::string>{"blocker", "src"}));
}

TEST(CopyFileBlocksFailure, DestinationThatIsAFolderIsNotReplaced) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src", "bytes");
  WriteFile(dir / "dst/keep", "kept");
  CopyFileBlocks(dir / "src", dir / "dst");
  EXPECT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(ReadFile(dir / "dst/keep"), "kept");
  EXPECT_EQ(ListTree(dir.Path()), (std::vector<std::string>{"dst/keep", "src"}));
}

// A write that fails after some blocks were written (the file size limit stands in for a
// full disk): the half-written bytes must not appear under the destination name, and an
// older destination keeps its content.
TEST(CopyFileBlocksFailure, WriteFailingPartWayLeavesNoHalfFile) {
  TempDir dir;
  MessageRecorder messages;
  std::string bytes = Pattern(4097 * 5);
  WriteFile(dir / "src", bytes);
  WriteFile(dir / "old", "previous");

  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = 4097 * 2;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  CopyFileBlocks(dir / "src", dir / "new");
  CopyFileBlocks(dir / "src", dir / "old");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"Error in copy" + (dir / "src"),
                                                           "Error in copy" + (dir / "src")}));
  EXPECT_FALSE(FileExists(dir / "new"));
  EXPECT_EQ(ReadFile(dir / "old"), "previous");
  EXPECT_EQ(ListTree(dir.Path()), (std::vector<std::string>{"old", "src"}));
}

TEST(CopyFileBlocksFailure, FailureDoesNotStopLaterCopies) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "good", "ok");
  CopyFileBlocks(dir / "bad", dir / "x");
  CopyFileBlocks(dir / "good", dir / "y");
  EXPECT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(ReadFile(dir / "y"), "ok");
}

// --- Desktop folder ----------------------------------------------------------------------

TEST(DesktopFolder, TestOverrideWinsAndEmptyRestoresLookup) {
  TempDir home;
  ScopedHome scopedHome(home.Path());
  SetDesktopFolderForTests(home / "fake/");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "fake");
  SetDesktopFolderForTests("");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "Desktop");
}

TEST(DesktopFolder, WithoutUserDirsFileItIsDesktopInHome) {
  TempDir home;
  ScopedHome scopedHome(home.Path());  // HOME with a trailing separator
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "Desktop");
}

TEST(DesktopFolder, UserDirsEntryWithHomeIsExpanded) {
  TempDir home;
  ScopedHome scopedHome(home.Path());
  WriteFile(home / ".config/user-dirs.dirs",
            "# written by xdg-user-dirs-update\n"
            "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
            "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "Schreibtisch");
}

TEST(DesktopFolder, UserDirsEntryMayBeAbsoluteAndHoldEscapes) {
  TempDir home;
  ScopedHome scopedHome(home.Path());
  WriteFile(home / ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"/srv/desk \\\"top\\\"\"\r\n");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), "/srv/desk \"top\"");
}

TEST(DesktopFolder, UnusableUserDirsEntryFallsBackToDesktopInHome) {
  TempDir home;
  ScopedHome scopedHome(home.Path());
  WriteFile(home / ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"relative/desk\"\n");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "Desktop");
  WriteFile(home / ".config/user-dirs.dirs", "XDG_DESKTOP_DIRECTORY=\"$HOME/x\"\n");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "Desktop");
}

TEST(DesktopFolder, OtherFolderNumbersHaveNoPath) {
  EXPECT_EQ(GetSpecialFolderPath(5), "");
  EXPECT_EQ(GetSpecialFolderPath(-1), "");
}
