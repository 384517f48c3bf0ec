#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;

class FileSystemTest : public ::testing::Test {
 protected:
  TempDir dir_;
  PosixFileSystem files_;
};

TEST_F(FileSystemTest, TellsFilesFromFolders) {
  WriteFile(dir_.Path("a.m4a"), "x");
  EXPECT_TRUE(files_.FileExists(dir_.Path("a.m4a")));
  EXPECT_FALSE(files_.DirectoryExists(dir_.Path("a.m4a")));
  EXPECT_TRUE(files_.DirectoryExists(dir_.path()));
  EXPECT_FALSE(files_.FileExists(dir_.path()));
  EXPECT_FALSE(files_.FileExists(dir_.Path("missing")));
  EXPECT_FALSE(files_.FileExists(""));
}

TEST_F(FileSystemTest, CopyReplacesTheTarget) {
  const std::string big(3 * 1024 * 1024 + 17, 'q');
  WriteFile(dir_.Path("from"), big);
  WriteFile(dir_.Path("to"), std::string(5 * 1024 * 1024, 'o'));
  ASSERT_TRUE(files_.CopyFile(dir_.Path("from"), dir_.Path("to")));
  EXPECT_EQ(ReadFile(dir_.Path("to")), big);
  EXPECT_EQ(ReadFile(dir_.Path("from")), big);
}

TEST_F(FileSystemTest, CopyOfAnEmptyFileMakesAnEmptyFile) {
  WriteFile(dir_.Path("from"), "");
  WriteFile(dir_.Path("to"), "old");
  ASSERT_TRUE(files_.CopyFile(dir_.Path("from"), dir_.Path("to")));
  EXPECT_TRUE(files_.FileExists(dir_.Path("to")));
  EXPECT_EQ(ReadFile(dir_.Path("to")), "");
}

TEST_F(FileSystemTest, CopyOntoItselfFailsAndKeepsTheFile) {
  WriteFile(dir_.Path("song"), "precious");
  ASSERT_EQ(::symlink(dir_.Path("song").c_str(), dir_.Path("link").c_str()), 0);
  EXPECT_FALSE(files_.CopyFile(dir_.Path("song"), dir_.Path("song")));
  EXPECT_FALSE(files_.CopyFile(dir_.Path("song"), dir_.Path("link")));
  EXPECT_EQ(ReadFile(dir_.Path("song")), "precious");
}

TEST_F(FileSystemTest, FailedCopiesLeaveNoTarget) {
  EXPECT_FALSE(files_.CopyFile(dir_.Path("missing"), dir_.Path("to")));
  EXPECT_FALSE(files_.FileExists(dir_.Path("to")));
  WriteFile(dir_.Path("from"), "abc");
  EXPECT_FALSE(files_.CopyFile(dir_.Path("from"), dir_.Path("no/such/folder/to")));
  EXPECT_FALSE(files_.CopyFile(dir_.path(), dir_.Path("to")));  // a folder is no file
  EXPECT_FALSE(files_.FileExists(dir_.Path("to")));
}

TEST_F(FileSystemTest, CopyThatFailsMidwayRemovesThePartialTarget) {
  // Reading a process's own memory from offset 0 fails with an I/O error.
  WriteFile(dir_.Path("to"), "old contents");
  EXPECT_FALSE(files_.CopyFile("/proc/self/mem", dir_.Path("to")));
  EXPECT_FALSE(files_.FileExists(dir_.Path("to")));
}

TEST_F(FileSystemTest, DevicesAndPipesAreNotCopied) {
  EXPECT_FALSE(files_.CopyFile("/dev/zero", dir_.Path("to")));
  ASSERT_EQ(::mkfifo(dir_.Path("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(files_.CopyFile(dir_.Path("pipe"), dir_.Path("to")));  // must not block
  EXPECT_FALSE(files_.FileExists(dir_.Path("to")));
  auto pipe = files_.OpenRead(dir_.Path("pipe"));  // opens without waiting for a writer
  ASSERT_NE(pipe, nullptr);
  char byte;
  EXPECT_EQ(pipe->Read(&byte, 1), 0u);
}

int ModeOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

TEST_F(FileSystemTest, CopyToNewFileMakesAPrivateFileAndNeverTouchesATakenName) {
  WriteFile(dir_.Path("song"), "song bytes");
  const mode_t old_mask = ::umask(0);  // even a permissive mask gives the owner alone
  EXPECT_EQ(files_.CopyToNewFile(dir_.Path("song"), dir_.Path("copy")), NewFileResult::kCopied);
  ::umask(old_mask);
  EXPECT_EQ(ReadFile(dir_.Path("copy")), "song bytes");
  EXPECT_EQ(ModeOf(dir_.Path("copy")), 0600);

  WriteFile(dir_.Path("taken"), "someone else's");
  EXPECT_EQ(files_.CopyToNewFile(dir_.Path("song"), dir_.Path("taken")), NewFileResult::kExists);
  EXPECT_EQ(ReadFile(dir_.Path("taken")), "someone else's");
  // Planted links, dangling or not, are neither followed nor replaced.
  ASSERT_EQ(::symlink(dir_.Path("victim").c_str(), dir_.Path("dangling").c_str()), 0);
  ASSERT_EQ(::symlink(dir_.Path("taken").c_str(), dir_.Path("link").c_str()), 0);
  EXPECT_EQ(files_.CopyToNewFile(dir_.Path("song"), dir_.Path("dangling")), NewFileResult::kExists);
  EXPECT_EQ(files_.CopyToNewFile(dir_.Path("song"), dir_.Path("link")), NewFileResult::kExists);
  EXPECT_FALSE(files_.FileExists(dir_.Path("victim")));
  EXPECT_EQ(ReadFile(dir_.Path("taken")), "someone else's");
}

TEST_F(FileSystemTest, FailedCopiesToNewFilesLeaveNothing) {
  EXPECT_EQ(files_.CopyToNewFile(dir_.Path("missing"), dir_.Path("to")), NewFileResult::kFailed);
  EXPECT_EQ(files_.CopyToNewFile("/proc/self/mem", dir_.Path("to")), NewFileResult::kFailed);
  EXPECT_FALSE(files_.FileExists(dir_.Path("to")));
}

TEST_F(FileSystemTest, MoveRenamesButNeverReplaces) {
  WriteFile(dir_.Path("a"), "first");
  WriteFile(dir_.Path("b"), "second");
  EXPECT_FALSE(files_.MoveFile(dir_.Path("a"), dir_.Path("b")));
  EXPECT_EQ(ReadFile(dir_.Path("a")), "first");
  EXPECT_EQ(ReadFile(dir_.Path("b")), "second");
  ASSERT_TRUE(files_.MoveFile(dir_.Path("a"), dir_.Path("c")));
  EXPECT_FALSE(files_.FileExists(dir_.Path("a")));
  EXPECT_EQ(ReadFile(dir_.Path("c")), "first");
  EXPECT_FALSE(files_.MoveFile(dir_.Path("a"), dir_.Path("d")));  // already gone
}

TEST_F(FileSystemTest, DeleteRemovesFilesOnly) {
  WriteFile(dir_.Path("a"), "x");
  ASSERT_TRUE(files_.CreateDirectories(dir_.Path("sub")));
  EXPECT_TRUE(files_.DeleteFile(dir_.Path("a")));
  EXPECT_FALSE(files_.FileExists(dir_.Path("a")));
  EXPECT_FALSE(files_.DeleteFile(dir_.Path("a")));
  EXPECT_FALSE(files_.DeleteFile(dir_.Path("sub")));
  EXPECT_TRUE(files_.DirectoryExists(dir_.Path("sub")));
}

TEST_F(FileSystemTest, CreatesNestedFolders) {
  EXPECT_TRUE(files_.CreateDirectories(dir_.Path("PRIVATE/AU/DF/D_SD")));
  EXPECT_TRUE(files_.DirectoryExists(dir_.Path("PRIVATE/AU/DF/D_SD")));
  EXPECT_TRUE(files_.CreateDirectories(dir_.Path("PRIVATE/AU")));  // already there
  WriteFile(dir_.Path("file"), "x");
  EXPECT_FALSE(files_.CreateDirectories(dir_.Path("file")));
  EXPECT_FALSE(files_.CreateDirectories(dir_.Path("file/sub")));
}

TEST_F(FileSystemTest, ListsEntriesWithTheirKinds) {
  WriteFile(dir_.Path("SDS_0000.3G2"), "12345");
  WriteFile(dir_.Path(".hidden"), "ab");
  ASSERT_TRUE(files_.CreateDirectories(dir_.Path("folder")));
  ASSERT_EQ(::mkfifo(dir_.Path("pipe").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(dir_.Path("SDS_0000.3G2").c_str(), dir_.Path("link").c_str()), 0);
  ASSERT_EQ(::symlink(dir_.Path("nowhere").c_str(), dir_.Path("dangling").c_str()), 0);

  std::vector<DirEntry> entries = files_.ListDirectory(dir_.path() + "/");
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 6u);
  auto expect = [&](size_t i, const char* name, int64_t size, bool dir, bool system, bool hidden) {
    SCOPED_TRACE(name);
    EXPECT_EQ(entries[i].name, name);
    EXPECT_EQ(entries[i].size, size);
    EXPECT_EQ(entries[i].is_directory, dir);
    EXPECT_EQ(entries[i].is_system, system);
    EXPECT_EQ(entries[i].is_hidden, hidden);
  };
  expect(0, ".hidden", 2, false, false, true);
  expect(1, "SDS_0000.3G2", 5, false, false, false);
  expect(2, "dangling", 0, false, true, false);
  expect(3, "folder", 0, true, false, false);
  expect(4, "link", 5, false, false, false);  // a link counts as what it points to
  expect(5, "pipe", 0, false, true, false);
}

TEST_F(FileSystemTest, ListingAMissingFolderIsEmpty) {
  EXPECT_TRUE(files_.ListDirectory(dir_.Path("missing")).empty());
  EXPECT_TRUE(files_.ListDirectory(dir_.path()).empty());
}

TEST_F(FileSystemTest, WholeFilesRoundTrip) {
  const std::string bytes("[Option]\r\nOUTDIR=\\PRIVATE\0\xff", 22);
  ASSERT_TRUE(files_.WriteWholeFile(dir_.Path("tarvello.INI"), bytes));
  EXPECT_EQ(files_.ReadWholeFile(dir_.Path("tarvello.INI")), bytes);
  ASSERT_TRUE(files_.WriteWholeFile(dir_.Path("tarvello.INI"), "short"));
  EXPECT_EQ(files_.ReadWholeFile(dir_.Path("tarvello.INI")), "short");
  EXPECT_FALSE(files_.WriteWholeFile(dir_.Path("missing/x.INI"), "x"));
  EXPECT_EQ(files_.ReadWholeFile(dir_.Path("missing/x.INI")), std::nullopt);
  EXPECT_EQ(files_.ReadWholeFile(dir_.path()), std::nullopt);
}

TEST_F(FileSystemTest, AFileThatOpensButCannotBeReadIsNotRead) {
  // A device attribute that refuses every read, reached through a link as a settings
  // file could be.
  const char* device = "/sys/class/net/lo/speed";
  if (!files_.FileExists(device)) GTEST_SKIP() << device << " is missing on this machine";
  ASSERT_EQ(::symlink(device, dir_.Path("tarvello.INI").c_str()), 0);
  ASSERT_NE(files_.OpenRead(dir_.Path("tarvello.INI")), nullptr);
  EXPECT_EQ(files_.ReadWholeFile(dir_.Path("tarvello.INI")), std::nullopt);
}

TEST_F(FileSystemTest, SetsLastWriteTimeAndLeavesAccessTime) {
  WriteFile(dir_.Path("song"), "x");
  struct stat before {};
  ASSERT_EQ(::stat(dir_.Path("song").c_str(), &before), 0);
  ASSERT_TRUE(files_.SetLastWriteTime(dir_.Path("song"), 1000000000));
  struct stat after {};
  ASSERT_EQ(::stat(dir_.Path("song").c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(after.st_mtim.tv_nsec, 0);
  EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
  EXPECT_FALSE(files_.SetLastWriteTime(dir_.Path("missing"), 1000000000));
}

TEST_F(FileSystemTest, ACopyNeverTakesTheSourceModeSoItsTimeCanBeSet) {
  WriteFile(dir_.Path("song"), "read-only song");
  ASSERT_EQ(::chmod(dir_.Path("song").c_str(), 0444), 0);
  ASSERT_TRUE(files_.CopyFile(dir_.Path("song"), dir_.Path("SDS_0000.3G2")));
  struct stat copy {};
  ASSERT_EQ(::stat(dir_.Path("SDS_0000.3G2").c_str(), &copy), 0);
  EXPECT_NE(copy.st_mode & S_IWUSR, 0u);
  EXPECT_TRUE(files_.SetLastWriteTime(dir_.Path("SDS_0000.3G2"), 1000000000));
}

TEST_F(FileSystemTest, FlushesTheVolumeOfAnExistingFolderOnly) {
  EXPECT_TRUE(files_.SyncVolume(dir_.path()));
  EXPECT_FALSE(files_.SyncVolume(dir_.Path("pulled out")));
  EXPECT_FALSE(files_.SyncVolume(""));
}

}  // namespace
}  // namespace tarvello
