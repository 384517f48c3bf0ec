#include "app/program_paths.h"

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>
#include <vector>

#include "fakes/fake_platform.h"
#include "version.h"

namespace tarvello {
namespace {

// Folders only: which exist, which may be written, which were created.
class StubFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string&) override { return false; }
  bool DirectoryExists(const std::string& path) override { return folders.count(path) != 0; }
  std::unique_ptr<ByteFile> OpenRead(const std::string&) override { return nullptr; }
  bool CopyFile(const std::string&, const std::string&) override { return false; }
  NewFileResult CopyToNewFile(const std::string&, const std::string&) override {
    return NewFileResult::kFailed;
  }
  FileChange MoveFile(const std::string&, const std::string&) override {
    return FileChange::Refused(EROFS);
  }
  bool DeleteFile(const std::string&) override { return false; }
  bool CreateDirectories(const std::string& path) override {
    created.push_back(path);
    if (!can_create) return false;
    folders.insert(path);
    return true;
  }
  std::vector<DirEntry> ListDirectory(const std::string&) override { return {}; }
  std::optional<std::string> ReadWholeFile(const std::string&) override { return std::nullopt; }
  bool WriteWholeFile(const std::string&, std::string_view) override { return false; }
  bool IsWritableDirectory(const std::string& path) override { return writable.count(path) != 0; }
  FileChange SetLastWriteTime(const std::string&, std::time_t) override {
    return FileChange::Refused(EROFS);
  }
  FileChange SyncVolume(const std::string&) override { return FileChange::Refused(EROFS); }

  std::set<std::string> folders;
  std::set<std::string> writable;
  std::vector<std::string> created;
  bool can_create = true;
};

// A moment of local time, whatever the time zone of the test machine.
std::time_t LocalTime(int year, int month, int day, int hour, int minute) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

class ProgramPathsTest : public ::testing::Test {
 protected:
  ProgramPathsTest() {
    environment_.executable_path = "/opt/tarvello/tarvello";
    environment_.home = "/home/me";
    environment_.current_directory = "/work";
    environment_.now = LocalTime(2025, 12, 31, 23, 59);
    files_.writable.insert("/opt/tarvello/");
  }

  fakes::FakeEnvironment environment_;
  StubFileSystem files_;
};

TEST_F(ProgramPathsTest, WritableExecutableFolderHoldsSettingsAndBackups) {
  environment_.variables["TEMP"] = "/var/tmp/me";
  const ProgramPaths paths = MakeProgramPaths(environment_, files_);
  EXPECT_EQ(paths.IniFileName, "/opt/tarvello/tarvello.INI");
  EXPECT_EQ(paths.BackupFolder, "/opt/tarvello/Backup/20251231");
  EXPECT_EQ(paths.TempFolder, "/var/tmp/me/");
  EXPECT_EQ(paths.LibraryFileName, "/home/me/Documents/My Music/iTunes/iTunes Music Library.xml");
  EXPECT_TRUE(files_.created.empty());
}

TEST_F(ProgramPathsTest, ExtensionIsTakenFromTheLastDotOfTheFileName) {
  const struct {
    const char* executable;
    const char* ini;
  } cases[] = {
      {"/opt/tarvello/Tarvello.exe", "/opt/tarvello/Tarvello.INI"},
      {"/opt/tarvello/tar.vel.lo", "/opt/tarvello/tar.vel.INI"},
      {"/opt/tarvello/tarvello.", "/opt/tarvello/tarvello.INI"},
  };
  for (const auto& c : cases) {
    environment_.executable_path = c.executable;
    EXPECT_EQ(MakeProgramPaths(environment_, files_).IniFileName, c.ini) << c.executable;
  }
  files_.writable.insert("/opt/my.app/");
  environment_.executable_path = "/opt/my.app/tarvello";
  EXPECT_EQ(MakeProgramPaths(environment_, files_).IniFileName, "/opt/my.app/tarvello.INI");
}

TEST_F(ProgramPathsTest, ReadOnlyExecutableFolderUsesTheXdgFolders) {
  files_.writable.clear();
  environment_.variables["XDG_CONFIG_HOME"] = "/cfg/";
  environment_.variables["XDG_DATA_HOME"] = "/data";
  const ProgramPaths paths = MakeProgramPaths(environment_, files_);
  EXPECT_EQ(paths.IniFileName, "/cfg/tarvello/tarvello.INI");
  EXPECT_EQ(paths.BackupFolder, "/data/tarvello/Backup/20251231");
}

TEST_F(ProgramPathsTest, AnInstalledProgramUsesTheXdgFoldersEvenWhenItCouldWriteBesideItself) {
  environment_.variables["XDG_CONFIG_HOME"] = "/cfg";
  for (const std::string& folder : {std::string("/usr/bin"), std::string(kInstallBinDir)}) {
    files_.writable.insert(folder + "/");
    environment_.executable_path = folder + "/tarvello";
    EXPECT_EQ(MakeProgramPaths(environment_, files_).IniFileName, "/cfg/tarvello/tarvello.INI")
        << folder;
  }
}

TEST_F(ProgramPathsTest, MissingOrRelativeXdgVariablesMeanTheHomeDefaults) {
  files_.writable.clear();
  environment_.variables["XDG_CONFIG_HOME"] = "relative/cfg";
  environment_.variables["XDG_DATA_HOME"] = "";
  const ProgramPaths paths = MakeProgramPaths(environment_, files_);
  EXPECT_EQ(paths.IniFileName, "/home/me/.config/tarvello/tarvello.INI");
  EXPECT_EQ(paths.BackupFolder, "/home/me/.local/share/tarvello/Backup/20251231");
}

TEST_F(ProgramPathsTest, UnknownExecutablePathFallsBackToTheConfigFolder) {
  environment_.executable_path = "";
  EXPECT_EQ(MakeProgramPaths(environment_, files_).IniFileName,
            "/home/me/.config/tarvello/tarvello.INI");
}

TEST_F(ProgramPathsTest, BackupFolderIsNamedAfterTheLocalStartDay) {
  environment_.now = LocalTime(2026, 1, 1, 0, 0);
  EXPECT_EQ(MakeProgramPaths(environment_, files_).BackupFolder, "/opt/tarvello/Backup/20260101");
  environment_.now = LocalTime(2026, 3, 4, 12, 0);
  EXPECT_EQ(MakeProgramPaths(environment_, files_).BackupFolder, "/opt/tarvello/Backup/20260304");
}

TEST(EnsureIniFolderTest, CreatesTheFolderOnlyWhenMissing) {
  StubFileSystem files;
  EXPECT_TRUE(EnsureIniFolder(files, "/home/me/.config/tarvello/tarvello.INI"));
  EXPECT_EQ(files.created, std::vector<std::string>{"/home/me/.config/tarvello"});
  EXPECT_TRUE(EnsureIniFolder(files, "/home/me/.config/tarvello/tarvello.INI"));
  EXPECT_EQ(files.created.size(), 1u);

  StubFileSystem read_only;
  read_only.can_create = false;
  EXPECT_FALSE(EnsureIniFolder(read_only, "/etc/tarvello/tarvello.INI"));
}

}  // namespace
}  // namespace tarvello
