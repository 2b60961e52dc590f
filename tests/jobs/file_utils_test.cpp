// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <cerrno>
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
using Names = std::vector<std::string>;

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

}  // namespace

// --- Copying -----------------------------------------------------------------------------

class CopySizes : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CopySizes, DestinationHoldsExactlyTheSourceBytes) {
  TempDir dir;
  MessageRecorder messages;
  std::string bytes = Pattern(GetParam());
  WriteFile(dir / "src", bytes);
  CopyFileBlocks(dir / "src", dir / "dst");
  EXPECT_EQ(ReadFile(dir / "dst"), bytes);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(ListTree(dir.Path()), (Names{"dst", "src"}));
}

// Around the 4097-byte block: empty, one byte, 4096, one block, one block and one byte, two
// whole blocks, and many blocks with a short tail.
INSTANTIATE_TEST_SUITE_P(BlockEdges, CopySizes,
                         ::testing::Values(0, 1, 4096, 4097, 4098, 8194, 8195, 4097 * 300 + 17));

TEST(CopyFileBlocks, CreatesMissingFoldersAndOverwritesAnExistingFile) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src.doc", "short");
  CopyFileBlocks(dir / "src.doc", dir / "a/b/c/out.doc");
  EXPECT_EQ(ReadFile(dir / "a/b/c/out.doc"), "short");
  WriteFile(dir / "long", Pattern(10000));
  CopyFileBlocks(dir / "src.doc", dir / "long");
  EXPECT_EQ(ReadFile(dir / "long"), "short");
  CopyFileBlocks(dir / "long", dir / "long");  // onto itself: the bytes survive
  EXPECT_EQ(ReadFile(dir / "long"), "short");
  EXPECT_TRUE(messages.Messages().empty());
}

// The copy is written readable by the user alone and given the permissions the process's
// mask allows only when complete; the mask is read, never changed.
TEST(CopyFileBlocks, CopyGetsThePermissionsOfTheMaskAtTheEnd) {
  TempDir dir;
  WriteFile(dir / "src.doc", "content");
  for (mode_t mask : {000, 022, 027, 077}) {
    const mode_t old = ::umask(mask);
    EXPECT_EQ(NewFileMode(), 0666u & ~mask);
    const std::string out = dir / ("out" + std::to_string(mask));
    std::string error;
    EXPECT_TRUE(CopyFileChecked(dir / "src.doc", out, &error)) << error;
    EXPECT_EQ(::umask(old), mask) << "the mask was changed";
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask) << std::oct << mask;
  }
}

// --- Failures: one message, and never a destination file ---------------------------------

TEST(CopyFileBlocksFailure, MissingOrFolderSourceCreatesNothing) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "folder/inside", "x");
  CopyFileBlocks(dir / "missing.doc", dir / "out/dst.doc");
  CopyFileBlocks(dir / "folder", dir / "dst");
  EXPECT_EQ(messages.Messages(),
            (Names{"Error in copy" + (dir / "missing.doc"), "Error in copy" + (dir / "folder")}));
  EXPECT_EQ(ListTree(dir.Path()), Names{"folder/inside"});
}

TEST(CopyFileBlocksFailure, DestinationBlockedByAFileOrAFolder) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src", "bytes");
  WriteFile(dir / "blocker", "i am a file");
  WriteFile(dir / "dst/keep", "kept");
  CopyFileBlocks(dir / "src", dir / "blocker/sub/dst");
  CopyFileBlocks(dir / "src", dir / "dst");
  EXPECT_EQ(messages.Messages(), Names(2, "Error in copy" + (dir / "src")));
  EXPECT_EQ(ReadFile(dir / "blocker"), "i am a file");
  EXPECT_EQ(ListTree(dir.Path()), (Names{"blocker", "dst/keep", "src"}));
}

// A write that fails after some blocks were written (the file size limit stands in for a
// full disk): the bytes must not appear under the destination name, and an older destination
// keeps its content.
TEST(CopyFileBlocksFailure, WriteFailingPartWayLeavesNoHalfFile) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src", Pattern(4097 * 5));
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

  EXPECT_EQ(messages.Messages(), Names(2, "Error in copy" + (dir / "src")));
  EXPECT_EQ(ReadFile(dir / "old"), "previous");
  EXPECT_EQ(ListTree(dir.Path()), (Names{"old", "src"}));
}

TEST(CopyFileChecked, SaysWhatWentWrongInTheUsersWordsAndNeverOpensAFifo) {
  TempDir dir;
  MessageRecorder messages;
  WriteFile(dir / "src", "bytes");
  WriteFile(dir / "blocker", "file");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  std::string error;
  EXPECT_FALSE(CopyFileChecked(dir / "fifo", dir / "out", &error));  // would block if opened
  EXPECT_EQ(error, "cannot read " + (dir / "fifo") + ": not a regular file");
  EXPECT_FALSE(CopyFileChecked(dir / "missing", dir / "out", &error));
  EXPECT_EQ(error, "cannot read " + (dir / "missing") + ": the file does not exist");
  EXPECT_FALSE(CopyFileChecked(dir / "src", dir / "blocker/out", &error));
  EXPECT_EQ(error, "cannot write " + (dir / "blocker/out") + ": not a directory");
  EXPECT_TRUE(CopyFileChecked(dir / "src", dir / "copy", &error));
  EXPECT_EQ(ReadFile(dir / "copy"), "bytes");
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(WriteErrorText("/x", ENOSPC), "disk full writing /x");
  EXPECT_EQ(WriteErrorText("/x", EROFS), "cannot write /x: read-only file system");
}

TEST(TempNames, StayWithinTheNameLimitAndAreKnownAsWorkFiles) {
  TempDir dir;
  for (std::size_t length : {5u, 200u, 240u, 241u, 247u, 255u}) {
    const std::string target = dir / (std::string(length - 4, 'x') + ".doc");
    const std::string temp = TempNameBeside(target);
    EXPECT_EQ(ExtractFilePath(temp), ExtractFilePath(target));
    EXPECT_LE(ExtractFileName(temp).size(), kMaxFileNameBytes) << length;
    EXPECT_TRUE(IsWorkFileName(ExtractFileName(temp)));
    EXPECT_NE(temp, TempNameBeside(target)) << "every call gives a new name";
    WriteFile(dir / "src", "bytes");
    std::string error;
    EXPECT_TRUE(CopyFileChecked(dir / "src", target, &error)) << length << error;
  }
  // A multi-byte character is never cut in half.
  std::string wide;
  for (int i = 0; i < 120; ++i) wide += "\xC3\xA9";
  const std::string temp = ExtractFileName(TempNameBeside(dir / wide));
  EXPECT_NE(static_cast<unsigned char>(temp.back()) & 0xC0, 0xC0u);
  for (const char* work : {".~lock.a.doc#", ".~sw1-2-a.doc", ".~sw12_3_b.xls"})
    EXPECT_TRUE(IsWorkFileName(work)) << work;
  for (const char* user :
       {".~lock.a.doc", "~$a.doc", ".sw1.doc", "a.doc#", ".hidden", ".~swimming.doc", ".~sw-1.doc"})
    EXPECT_FALSE(IsWorkFileName(user)) << user;
}

// --- Desktop folder ----------------------------------------------------------------------

TEST(DesktopFolder, XdgEntryElseDesktopInHome) {
  TempDir home;
  std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", home.Path().c_str(), 1);  // with a trailing separator
  const std::string userDirs = home / ".config/user-dirs.dirs";
  std::vector<std::pair<std::string, std::string>> cases = {
      {"", home / "Desktop"},
      {"# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n",
       home / "Schreibtisch"},
      {"XDG_DESKTOP_DIR=\"/srv/desk \\\"top\\\"\"\r\n", "/srv/desk \"top\""},
      {"XDG_DESKTOP_DIR=\"relative/desk\"\n", home / "Desktop"},
      {"XDG_DESKTOP_DIRECTORY=\"$HOME/x\"\n", home / "Desktop"}};
  for (const auto& [file, expected] : cases) {
    if (!file.empty()) WriteFile(userDirs, file);
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), expected) << file;
  }
  SetDesktopFolderForTests(home / "fake/");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "fake");
  SetDesktopFolderForTests("");
  EXPECT_EQ(GetSpecialFolderPath(CSIDL_DESKTOP), home / "Desktop");
  EXPECT_EQ(GetSpecialFolderPath(5), "");
  ::setenv("HOME", savedHome.c_str(), 1);
}

TEST(PlainFileName, OnlyNamesThatStayInTheirFolder) {
  for (const char* ok : {"swA.ini", "sw..log", "sw...ini", ".hidden", "a b"})
    EXPECT_TRUE(IsPlainFileName(ok)) << ok;
  for (const std::string& bad :
       std::vector<std::string>{"", ".", "..", "a/b", "/abs", "../x", std::string("a\0b", 3)})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}
