// Backups: listed newest first, pruned to the newest few, and put back onto the card with
// their file times; under a failure of any file operation nothing is lost.

#include "output/backup_restore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/recording_progress.h"
#include "output/backups.h"
#include "output/output_run.h"

namespace tarvello {
namespace {

using fakes::FileOp;
using fakes::FolderContents;
using fakes::TempDir;
using fakes::WriteFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::RecordingProgress;

std::time_t WriteTime(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
}

void WriteWithTime(const std::string& path, const std::string& bytes, std::time_t time) {
  WriteFile(path, bytes);
  PosixFileSystem().SetLastWriteTime(path, time);
}

std::vector<std::string> Names(const std::vector<BackupFolderInfo>& backups) {
  std::vector<std::string> names;
  for (const BackupFolderInfo& backup : backups) names.push_back(backup.name);
  return names;
}

TEST(BackupsTest, ListedNewestFirstWithSongsAndBytesAndPrunedToTheNewest) {
  TempDir root;
  fakes::LockingFileSystem files;
  for (const char* name : {"20231114", "20231114_2", "20231114_10", "20240101", "20230230",
                           "20231114_1", "20231114_02", "notes", "2023111"}) {
    WriteFile(root.Path(name) + "/SDS_0000.3G2", "12345");
  }
  WriteFile(root.Path("20240101/SD_F_000.MGR"), "mgr");
  WriteFile(root.Path("20240101/SDS_0001.3G2"), "67");
  WriteFile(root.Path("20991231"), "a file, not a folder");

  const std::vector<BackupFolderInfo> backups = ListBackups(files, root.path());

  EXPECT_THAT(Names(backups), ElementsAre("20240101", "20231114_10", "20231114_2", "20231114"));
  EXPECT_EQ(backups[0].date, "2024/01/01");
  EXPECT_EQ(backups[0].songs, 2);
  EXPECT_EQ(backups[0].files, 3);
  EXPECT_EQ(backups[0].bytes, 10);
  EXPECT_EQ(BackupSpace(files, backups[0].path, 4), 8 + 4 + 4);

  EXPECT_THAT(KeepNewestBackups(files, root.path(), 0), ::testing::IsEmpty());
  EXPECT_EQ(ListBackups(files, root.path()).size(), 4u);
  EXPECT_THAT(KeepNewestBackups(files, root.path(), 2), ::testing::IsEmpty());
  EXPECT_THAT(Names(ListBackups(files, root.path())), ElementsAre("20240101", "20231114_10"));
  // Whatever is not a backup folder stays.
  EXPECT_TRUE(files.DirectoryExists(root.Path("notes")));
  EXPECT_TRUE(files.FileExists(root.Path("20991231")));
}

TEST(BackupsTest, TheOutputRunsBackupKeepsEachFilesTime) {
  TempDir card, program, sources;
  fakes::FakePlatform fake;
  WriteWithTime(card.Path("D_SD/SDS_0000.3G2"), "old song", 1500000000);
  TrackTable table;
  TrackList rows(NumberSymbols{",", "."}, MakeLocaleCollator());
  TempNameCounter temp_names;
  RecordingProgress progress;
  const OutputRunSettings settings{card.Path("D_SD"), TOutputOptions{},
                                   program.Path("Backup/20231114")};

  const OutputRunResult result =
      RunOutput(settings, rows, table, fake.platform, temp_names, progress);

  ASSERT_EQ(result.backup_folder, program.Path("Backup/20231114"));
  EXPECT_EQ(WriteTime(result.backup_folder + "/SDS_0000.3G2"), 1500000000);
}

// The card's folder and a backup of an earlier day with different songs.
struct RestoreBench {
  RestoreBench() {
    settings.folder = card.Path("D_SD");
    settings.backup = program.Path("Backup/20231110");
    settings.backup_base = program.Path("Backup/20231114");
    WriteWithTime(settings.folder + "/SDS_0000.3G2", "now first", 1700000000);
    WriteWithTime(settings.folder + "/SDS_0001.3G2", "now second", 1699999998);
    WriteWithTime(settings.folder + "/SD_F_000.MGR", "now titles", 1700000100);
    WriteWithTime(settings.backup + "/SDS_0000.3G2", "then first", 1600000000);
    WriteWithTime(settings.backup + "/SDS_0001.3G2", "then second", 1599999998);
    WriteWithTime(settings.backup + "/SDS_0002.3G2", "then third", 1599999996);
    WriteWithTime(settings.backup + "/SD_F_000.MGR", "then titles", 1600000100);
    card_before = FolderContents(settings.folder);
    backup_before = FolderContents(settings.backup);
  }

  RestoreResult Run() { return RestoreBackup(settings, files, progress); }

  TempDir card, program;
  fakes::LockingFileSystem files;
  RecordingProgress progress;
  RestoreSettings settings;
  std::map<std::string, std::string> card_before, backup_before;
};

TEST(BackupRestoreTest, PutsTheBackupBackWithItsTimesAfterBackingUpTheFolder) {
  RestoreBench bench;

  const RestoreResult result = bench.Run();

  EXPECT_EQ(result.end, RestoreEnd::kCompleted);
  EXPECT_EQ(result.restored, 4);
  EXPECT_TRUE(result.verified);
  EXPECT_EQ(FolderContents(bench.settings.folder), bench.backup_before);
  EXPECT_EQ(FolderContents(bench.settings.backup), bench.backup_before);
  EXPECT_EQ(result.backup_folder, bench.settings.backup_base);
  EXPECT_EQ(FolderContents(result.backup_folder), bench.card_before);
  EXPECT_EQ(WriteTime(bench.settings.folder + "/SDS_0002.3G2"), 1599999996);
  EXPECT_EQ(WriteTime(bench.settings.folder + "/SD_F_000.MGR"), 1600000100);
  EXPECT_EQ(WriteTime(result.backup_folder + "/SDS_0001.3G2"), 1699999998);
  EXPECT_THAT(bench.progress.messages, ElementsAre(RestoredText(4)));
  EXPECT_TRUE(bench.progress.ShowedLabel("照合中... 4 / 4"));
}

TEST(BackupRestoreTest, AChangedByteOnTheCardIsReportedAfterTheRestore) {
  RestoreBench bench;
  bench.files.before = [&](FileOp op, int) {
    if (op == FileOp::kSync) WriteFile(bench.settings.folder + "/SDS_0001.3G2", "then secOnd");
  };

  const RestoreResult result = bench.Run();

  EXPECT_EQ(result.end, RestoreEnd::kFailed);
  EXPECT_THAT(result.mismatched, ElementsAre(bench.settings.folder + "/SDS_0001.3G2"));
  ASSERT_EQ(bench.progress.messages.size(), 1u);
  EXPECT_THAT(bench.progress.messages[0], HasSubstr(bench.settings.backup_base));
}

// Each file operation of a restore fails in turn: afterwards the chosen backup is as it
// was, and every file the folder held is in the folder or in the new backup.
TEST(BackupRestoreTest, NothingIsLostWhenAnyFileOperationFails) {
  const std::vector<FileOp> operations = {FileOp::kCopy, FileOp::kDelete,
                                          FileOp::kCreateDirectories, FileOp::kSetTime,
                                          FileOp::kSync};
  std::map<FileOp, int> calls;
  {
    RestoreBench clean;
    clean.Run();
    for (FileOp op : operations) calls[op] = clean.files.Calls(op);
  }
  int failures = 0;
  for (FileOp op : operations) {
    for (int call = 1; call <= calls[op]; ++call) {
      RestoreBench bench;
      bench.files.FailAt(op, call);
      const RestoreResult result = bench.Run();
      ++failures;
      SCOPED_TRACE("operation " + std::to_string(static_cast<int>(op)) + ", call " +
                   std::to_string(call));
      EXPECT_EQ(result.end, RestoreEnd::kFailed);
      EXPECT_EQ(bench.progress.messages.size(), 1u);
      EXPECT_EQ(FolderContents(bench.settings.backup), bench.backup_before);
      const auto folder = FolderContents(bench.settings.folder);
      const auto saved = FolderContents(bench.settings.backup_base);
      for (const auto& [name, bytes] : bench.card_before) {
        const bool kept = (folder.count(name) != 0 && folder.at(name) == bytes) ||
                          (saved.count(name) != 0 && saved.at(name) == bytes);
        EXPECT_TRUE(kept) << name;
      }
    }
  }
  EXPECT_GE(failures, 12);
}

TEST(BackupRestoreTest, CancelBeforeTheFolderIsClearedLeavesItAsItWas) {
  RestoreBench bench;
  bench.progress.press_cancel = [](const RecordingProgress&) { return true; };

  const RestoreResult result = bench.Run();

  EXPECT_EQ(result.end, RestoreEnd::kCancelled);
  EXPECT_EQ(FolderContents(bench.settings.folder), bench.card_before);
  EXPECT_THAT(bench.progress.messages, ::testing::IsEmpty());
}

}  // namespace
}  // namespace tarvello
