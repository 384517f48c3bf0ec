// The output run over real folders: what the card folder holds afterwards, the backups,
// the progress it shows, cancelling, and every failure of a file operation.

#include "output/output_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/recording_progress.h"
#include "output/backups.h"
#include "output/management_files.h"
#include "output/output_messages.h"
#include "output/output_targets.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;
using fakes::FileNamesIn;
using fakes::FileOp;
using fakes::FolderContents;
using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordingProgress;

std::time_t WriteTime(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_mtime : 0;
}

// A card folder, song files outside it, a program folder for the backups, and the rows.
struct RunBench {
  RunBench() : rows_(NumberSymbols{",", "."}, MakeLocaleCollator()) {
    settings_.folder = card_.Path("PRIVATE/AU/DF/D_SD");
    settings_.backup_base = program_.Path("Backup/20231114");
  }

  std::string InFolder(const std::string& name) const { return settings_.folder + "/" + name; }

  // A song file outside the card.
  std::string Source(const std::string& name) {
    const std::string path = sources_.Path(name);
    WriteFile(path, "song " + name);
    return path;
  }

  // A record for `path` with a title and an artist, and its marked row.
  void List(const std::string& path, const std::string& title = "t",
            const std::string& artist = "a") {
    TTrackInfo track{};
    StoreText(track.Title, title);
    StoreText(track.Artist, artist);
    StoreText(track.FileName, path);
    const int index = table_.TrackCount();
    table_.StoreTrack(index, track);
    OutputTotals ignored;
    rows_.BuildRows(index, index, table_, ignored, 0);
  }

  OutputRunResult Output() {
    return RunOutput(settings_, rows_, table_, fake_.platform, temp_names_, progress_);
  }

  std::string FileNameOf(int row) const {
    return std::string(FieldText(table_[rows_.TableIndex(row)].FileName));
  }

  TempDir card_;
  TempDir sources_;
  TempDir program_;
  fakes::FakePlatform fake_;
  TrackTable table_;
  TrackList rows_;
  TempNameCounter temp_names_;
  RecordingProgress progress_;
  OutputRunSettings settings_;
};

class OutputRunTest : public ::testing::Test, protected RunBench {};

TEST_F(OutputRunTest, WritesTheMarkedSongsInListOrderIntoANewFolder) {
  settings_.verify = false;  // the progress of the read-back is counted in its own tests
  List(Source("b.m4a"), "Second");
  List(Source("skipped.m4a"));
  List(Source("a.m4a"), "First");
  rows_.Row(1).icon = kIconUnmarked;
  fake_.environment.now = 1700000000;

  const OutputRunResult result = Output();

  EXPECT_EQ(result.end, OutputRunEnd::kCompleted);
  EXPECT_EQ(result.written, 2);
  EXPECT_EQ(result.backup_folder, "");
  EXPECT_THAT(FileNamesIn(settings_.folder),
              ElementsAre("SDS_0000.3G2", "SDS_0001.3G2", "SD_F_000.MGR"));
  EXPECT_EQ(ReadFile(InFolder("SDS_0000.3G2")), "song b.m4a");
  EXPECT_EQ(ReadFile(InFolder("SDS_0001.3G2")), "song a.m4a");
  EXPECT_EQ(WriteTime(InFolder("SDS_0000.3G2")), 1700000000);
  EXPECT_EQ(WriteTime(InFolder("SDS_0001.3G2")), 1700000000 - 2);
  const auto mgr = ParseManagementFile(ReadFile(InFolder("SD_F_000.MGR")));
  ASSERT_TRUE(mgr.has_value());
  EXPECT_EQ(mgr->entries[0].title, "Second");
  EXPECT_EQ(mgr->entries[1].title, "First");
  EXPECT_FALSE(mgr->entries[2].used);

  // Preparing, then the counter from 0 to the number written; no backup phase.
  EXPECT_EQ(progress_.labels.front(), "出力の準備中... ");
  EXPECT_THAT(std::vector<std::string>(progress_.labels.begin() + 1, progress_.labels.end()),
              ElementsAre("ファイルの出力中... 0 / 2", "ファイルの出力中... 1 / 2",
                          "ファイルの出力中... 2 / 2"));
  EXPECT_EQ(progress_.maximum, 2 / 100 + 2 + 1);
  EXPECT_EQ(progress_.position, 1 + 2);
  EXPECT_EQ(progress_.beeps, 1);
  EXPECT_THAT(progress_.messages, ElementsAre("出力先フォルダへ 2 曲を出力しました."));
  EXPECT_FALSE(fs::exists(settings_.backup_base));
  EXPECT_EQ(fake_.files.sync_calls, 1);
}

TEST_F(OutputRunTest, ReoutputMovesSongsOfTheFolderAndBacksUpEverythingItReplaces) {
  settings_.verify = false;  // the progress of the read-back is counted in its own tests
  WriteFile(InFolder("SDS_0000.3G2"), "old first");
  WriteFile(InFolder("SDS_0001.3G2"), "old second");
  WriteFile(InFolder("SD_F_001.MGR"), "old mgr");
  WriteFile(InFolder(".hidden"), "hidden");
  WriteFile(InFolder("keep/inside.txt"), "subfolder");
  // The second old song comes first now; the first is no longer listed.
  List(InFolder("SDS_0001.3G2"), "Moved");
  List(Source("new.m4a"), "New");
  settings_.options.Ext = "";

  const OutputRunResult result = Output();

  EXPECT_EQ(result.end, OutputRunEnd::kCompleted);
  EXPECT_EQ(result.backup_folder, settings_.backup_base);
  EXPECT_THAT(FileNamesIn(settings_.folder),
              ElementsAre("SDS_0000", "SDS_0001", "SD_F_000.MGR", "keep/inside.txt"));
  EXPECT_EQ(ReadFile(InFolder("SDS_0000")), "old second");
  EXPECT_EQ(ReadFile(InFolder("SDS_0001")), "song new.m4a");
  EXPECT_EQ(FolderContents(settings_.backup_base),
            (std::map<std::string, std::string>{{".hidden", "hidden"},
                                                {"SDS_0000.3G2", "old first"},
                                                {"SDS_0001.3G2", "old second"},
                                                {"SD_F_001.MGR", "old mgr"}}));
  // The moved song's record and row both name its new file; the copied one keeps its source.
  EXPECT_EQ(FileNameOf(0), InFolder("SDS_0000"));
  EXPECT_EQ(rows_.Row(0).sub_items[kSubFileName], InFolder("SDS_0000"));
  EXPECT_EQ(rows_.Row(1).sub_items[kSubFileName], sources_.Path("new.m4a"));
  EXPECT_TRUE(progress_.ShowedLabel("ファイルのバックアップ中... 0 / 4"));
  EXPECT_TRUE(progress_.ShowedLabel("ファイルのバックアップ中... 4 / 4"));
  EXPECT_EQ(progress_.maximum, 0 + 2 + 1 + 4);
  EXPECT_EQ(fake_.files.move_calls, 2);  // parked, then moved to its number
  EXPECT_EQ(fake_.files.copy_calls, 4 + 1);
}

TEST_F(OutputRunTest, EveryBackupOfTheDayGoesIntoAFolderOfItsOwn) {
  List(InFolder("SDS_0000.3G2"));
  WriteFile(InFolder("SDS_0000.3G2"), "v1");
  for (int run = 1; run <= 3; ++run) {
    const OutputRunResult result = Output();
    ASSERT_EQ(result.end, OutputRunEnd::kCompleted);
    WriteFile(InFolder("SDS_0000.3G2"), "v" + std::to_string(run + 1));
  }
  EXPECT_EQ(ReadFile(settings_.backup_base + "/SDS_0000.3G2"), "v1");
  EXPECT_EQ(ReadFile(settings_.backup_base + "_2/SDS_0000.3G2"), "v2");
  EXPECT_EQ(ReadFile(settings_.backup_base + "_3/SDS_0000.3G2"), "v3");
  EXPECT_THAT(FileNamesIn(settings_.backup_base), ElementsAre("SDS_0000.3G2"));
  EXPECT_THAT(FileNamesIn(settings_.backup_base + "_2"),
              ElementsAre("SDS_0000.3G2", "SD_F_000.MGR"));
}

TEST_F(OutputRunTest, AFailedSongLeavesAGapButKeepsItsNumberAndTime) {
  List(Source("0.m4a"), "zero");
  List(sources_.Path("gone.m4a"), "one");
  List(Source("2.m4a"), "two");
  fake_.environment.now = 1700000000;

  const OutputRunResult result = Output();

  EXPECT_EQ(result.end, OutputRunEnd::kCompleted);
  EXPECT_THAT(FileNamesIn(settings_.folder),
              ElementsAre("SDS_0000.3G2", "SDS_0002.3G2", "SD_F_000.MGR"));
  EXPECT_EQ(WriteTime(InFolder("SDS_0002.3G2")), 1700000000 - 4);
  const auto mgr = ParseManagementFile(ReadFile(InFolder("SD_F_000.MGR")));
  ASSERT_TRUE(mgr.has_value());
  EXPECT_EQ(mgr->entries[1].title, "one");
  EXPECT_EQ(mgr->entries[2].title, "two");
  EXPECT_THAT(
      progress_.messages,
      ElementsAre("出力先フォルダへのファイルコピーに失敗しました.\r\n" + sources_.Path("gone.m4a"),
                  "出力先フォルダへ 2 曲を出力しました."));
}

TEST_F(OutputRunTest, AFolderSongListedTwiceIsMovedOnceAndTheSecondMoveFails) {
  WriteFile(InFolder("SDS_0005.3G2"), "twice");
  List(InFolder("SDS_0005.3G2"));
  List(InFolder("SDS_0005.3G2"));
  List(Source("outside.m4a"));
  List(sources_.Path("outside.m4a"));

  const OutputRunResult result = Output();

  EXPECT_EQ(result.written, 3);
  EXPECT_THAT(FileNamesIn(settings_.folder),
              ElementsAre("SDS_0000.3G2", "SDS_0002.3G2", "SDS_0003.3G2", "SD_F_000.MGR"));
  EXPECT_EQ(ReadFile(InFolder("SDS_0000.3G2")), "twice");
  EXPECT_EQ(ReadFile(InFolder("SDS_0003.3G2")), "song outside.m4a");
  EXPECT_THAT(progress_.messages,
              ElementsAre("ファイルのリネームに失敗しました.\r\n" + InFolder("SDS_0005.3G2"),
                          "出力先フォルダへ 3 曲を出力しました."));
}

TEST_F(OutputRunTest, ASongInASubfolderOfTheOutputFolderIsCopiedNotMoved) {
  WriteFile(InFolder("old/song.m4a"), "kept");
  List(InFolder("old/song.m4a"));

  EXPECT_EQ(Output().written, 1);
  EXPECT_EQ(ReadFile(InFolder("SDS_0000.3G2")), "kept");
  EXPECT_EQ(ReadFile(InFolder("old/song.m4a")), "kept");
}

TEST_F(OutputRunTest, EmptyFolderWithBackupOnShowsNoBackupPhase) {
  settings_.verify = false;  // the progress of the read-back is counted in its own tests
  fs::create_directories(settings_.folder);
  List(Source("a.m4a"));
  EXPECT_EQ(Output().end, OutputRunEnd::kCompleted);
  EXPECT_EQ(progress_.maximum, 0 + 1 + 1);
  EXPECT_FALSE(progress_.ShowedLabel("ファイルのバックアップ中... 0 / 0"));
  EXPECT_FALSE(fs::exists(settings_.backup_base));
}

TEST_F(OutputRunTest, AFileWhereTheFolderShouldBeEndsTheRunBeforeAnythingIsWritten) {
  WriteFile(settings_.folder, "a file, not a folder");
  List(Source("a.m4a"));
  const OutputRunResult result = Output();
  EXPECT_EQ(result.end, OutputRunEnd::kFailed);
  EXPECT_THAT(progress_.messages, ElementsAre("出力先フォルダの作成に失敗しました."));
  EXPECT_EQ(ReadFile(settings_.folder), "a file, not a folder");
  EXPECT_EQ(fake_.files.write_calls + fake_.files.copy_calls, 0);
}

TEST_F(OutputRunTest, CancelDuringCleanupWritesNothingAndSaysNothing) {
  for (int i = 0; i < 30; ++i) WriteFile(InFolder("old" + std::to_string(i)), "x");
  List(Source("a.m4a"));
  settings_.options.BackupBeforeOutput = false;
  progress_.press_cancel = [](const RecordingProgress& p) { return p.events >= 2; };

  EXPECT_EQ(Output().end, OutputRunEnd::kCancelled);
  EXPECT_EQ(fake_.files.write_calls, 0);
  EXPECT_GT(fake_.files.delete_calls, 0);
  EXPECT_LT(fake_.files.delete_calls, 30);
  EXPECT_THAT(progress_.messages, IsEmpty());
  EXPECT_EQ(progress_.beeps, 0);
}

TEST_F(OutputRunTest, CancelDuringCopyKeepsCompleteManagementFilesAndTheSongsSoFar) {
  WriteFile(InFolder("SDS_0000.3G2"), "parked");
  List(Source("a.m4a"));
  List(Source("b.m4a"));
  List(Source("c.m4a"));
  List(InFolder("SDS_0000.3G2"));
  settings_.options.BackupBeforeOutput = false;
  // Cancel once two songs are written.
  progress_.press_cancel = [](const RecordingProgress& p) {
    return p.ShowedLabel("ファイルの出力中... 2 / 4");
  };

  const OutputRunResult result = Output();

  EXPECT_EQ(result.end, OutputRunEnd::kCancelled);
  EXPECT_EQ(result.written, 2);
  // The parked song waits under its temporary name, which its record still names.
  EXPECT_THAT(FileNamesIn(settings_.folder),
              ElementsAre("SDS_0000.3G2", "SDS_0001.3G2", "SD_F_000.MGR", "~RN00000.TMP"));
  EXPECT_EQ(FileNameOf(3), InFolder("~RN00000.TMP"));
  EXPECT_EQ(ReadFile(InFolder("~RN00000.TMP")), "parked");
  EXPECT_EQ(ParseManagementFile(ReadFile(InFolder("SD_F_000.MGR")))->entries[3].used, true);
  EXPECT_THAT(progress_.messages, IsEmpty());
  EXPECT_EQ(progress_.beeps, 0);
}

TEST_F(OutputRunTest, ACardPulledOutDuringTheCopyEndsTheRunWithOneMessage) {
  List(Source("a.m4a"));
  List(Source("b.m4a"));
  List(Source("c.m4a"));
  settings_.options.BackupBeforeOutput = false;
  fake_.files.before = [&](FileOp op, int call) {
    if (op == FileOp::kCopy && call == 2) fs::remove_all(card_.Path("PRIVATE"));
  };

  const OutputRunResult result = Output();

  EXPECT_EQ(result.end, OutputRunEnd::kFailed);
  EXPECT_EQ(result.written, 1);
  EXPECT_THAT(
      progress_.messages,
      ElementsAre("出力先フォルダへのファイルコピーに失敗しました.\r\n" + sources_.Path("b.m4a")));
  EXPECT_EQ(fake_.files.copy_calls, 2);
}

TEST_F(OutputRunTest, EntriesAreTitledFromTheRowsAsTheListShowsThem) {
  List(Source("a.m4a"), "Shown title", "Shown artist");
  // The properties command re-read the song after it was tagged again: the record is new,
  // the row's caption is not.
  TTrackInfo& record = table_[rows_.TableIndex(0)];
  StoreText(record.Title, "Tagged again");
  StoreText(record.Artist, "Other artist");
  settings_.options.TitleFormat = 1;
  settings_.options.Separator = 1;

  ASSERT_EQ(Output().end, OutputRunEnd::kCompleted);

  const auto mgr = ParseManagementFile(ReadFile(InFolder("SD_F_000.MGR")));
  ASSERT_TRUE(mgr.has_value());
  EXPECT_EQ(mgr->entries[0].title, "Shown title_Shown artist");
}

TEST(OutputSourceIndexTest, KnowsAFileByWhatItIsNotByItsSpelling) {
  RunBench bench;
  const std::string song = bench.Source("x.m4a");
  fs::create_directory_symlink(bench.sources_.path(), bench.program_.Path("link"));
  bench.List(song);                                 // unmarked below
  bench.List(bench.program_.Path("link/x.m4a"));    // through a symbolic link
  bench.List(bench.sources_.path() + "//./x.m4a");  // another spelling
  bench.List(bench.Source("y.m4a"));
  bench.List(bench.sources_.Path("gone.m4a"));  // no such file
  bench.rows_.Row(0).icon = kIconUnmarked;
  OutputSourceIndex index(bench.rows_, bench.table_, bench.fake_.files);

  const SourceRows rows = index.TakeRowsOf(song);
  EXPECT_THAT(rows.targets, ElementsAre(1, 2));
  EXPECT_THAT(rows.others, ElementsAre(0));
  // Taken once: a second name of the same file finds nothing more.
  EXPECT_THAT(index.TakeRowsOf(bench.program_.Path("link/x.m4a")).targets, IsEmpty());
  EXPECT_THAT(index.TakeRowsOf(bench.sources_.Path("y.m4a")).targets, ElementsAre(3));
  EXPECT_THAT(index.TakeRowsOf(bench.sources_.Path("gone.m4a")).targets, ElementsAre(4));
}

// A folder with a song to output again, an old song, an old management file and a foreign
// file; two songs from outside.
struct FaultBench : RunBench {
  explicit FaultBench(bool backup) {
    settings_.options.BackupBeforeOutput = backup;
    WriteFile(InFolder("SDS_0000.3G2"), "again");
    WriteFile(InFolder("SDS_0001.3G2"), "old song");
    WriteFile(InFolder("SD_F_000.MGR"), "old mgr");
    WriteFile(InFolder("readme.txt"), "foreign");
    before_ = FolderContents(settings_.folder);
    List(Source("x.m4a"));
    List(InFolder("SDS_0000.3G2"));
    List(Source("y.m4a"));
    sources_before_ = FolderContents(sources_.path());
  }

  // Every file the folder held is still in the folder or in the backup, under some name.
  void ExpectNothingLost(const std::string& trace) const {
    std::vector<std::string> kept;
    for (const auto& [name, bytes] : FolderContents(settings_.folder)) kept.push_back(bytes);
    for (const auto& [name, bytes] : FolderContents(program_.path())) kept.push_back(bytes);
    for (const auto& [name, bytes] : before_) {
      const bool needed = settings_.options.BackupBeforeOutput || bytes == "again";
      if (needed) {
        EXPECT_THAT(kept, ::testing::Contains(bytes)) << trace << ": " << name;
      }
    }
    EXPECT_EQ(FolderContents(sources_.path()), sources_before_) << trace;
  }

  std::map<std::string, std::string> before_;
  std::map<std::string, std::string> sources_before_;
};

// The message a failure of `op` at `call` must show in FaultBench, and whether the run
// goes on to its completion message.
struct Expected {
  std::string message;
  bool goes_on = false;
};

Expected ExpectedFailure(const FaultBench& bench, FileOp op, int call, int backups) {
  const std::string folder = bench.settings_.folder + "/";
  switch (op) {
    case FileOp::kCopy:
      if (call <= backups) return {kBackupFailed, false};
      return {std::string(kCopyFailed) + "\r\n" +
                  bench.sources_.Path(call == backups + 1 ? "x.m4a" : "y.m4a"),
              true};
    case FileOp::kMove:
      return {std::string(kRenameFailed) + "\r\n" + folder + "SDS_0000.3G2", call == 2};
    case FileOp::kDelete:
      return {kDeleteFailed, false};
    case FileOp::kCreateDirectories:
      return {kBackupFailed, false};
    case FileOp::kWrite:
      return {std::string(kManagementFailed) + "\r\n" + folder + "SD_F_000.MGR", false};
    case FileOp::kSetTime:
      // A backup copy takes its original's time; a failure to give it is a failed backup.
      if (call <= backups) return {kBackupFailed, false};
      return {kSetTimeFailed, false};
    case FileOp::kSync:
      return {std::string(kFlushFailed) + "\r\n" + bench.settings_.folder, false};
    case FileOp::kCopyToNew:
    case FileOp::kLink:
    case FileOp::kHash:
      break;  // the run makes no temporary copies; links and hashes are tried elsewhere
  }
  return {};
}

TEST(OutputRunFaultTest, EveryFailingFileOperationShowsItsMessageAndLosesNothing) {
  int runs = 0;
  for (const bool backup : {true, false}) {
    FaultBench clean(backup);
    ASSERT_EQ(clean.Output().end, OutputRunEnd::kCompleted);
    const int backups = backup ? 4 : 0;
    for (const FileOp op :
         {FileOp::kCopy, FileOp::kMove, FileOp::kDelete, FileOp::kCreateDirectories, FileOp::kWrite,
          FileOp::kSetTime, FileOp::kSync}) {
      for (int call = 1; call <= clean.fake_.files.Calls(op); ++call) {
        const std::string trace = "backup " + std::to_string(backup) + ", op " +
                                  std::to_string(static_cast<int>(op)) + ", call " +
                                  std::to_string(call);
        FaultBench bench(backup);
        bench.fake_.files.FailAt(op, call);
        ++runs;
        const OutputRunResult result = bench.Output();
        const Expected expected = ExpectedFailure(bench, op, call, backups);

        ASSERT_FALSE(bench.progress_.messages.empty()) << trace;
        EXPECT_THAT(bench.progress_.messages.front(), ::testing::StartsWith(expected.message))
            << trace;
        if (expected.goes_on) {
          EXPECT_EQ(result.end, OutputRunEnd::kCompleted) << trace;
          EXPECT_EQ(result.written, 2) << trace;
          EXPECT_EQ(bench.progress_.messages.back(), CompletionText(2)) << trace;
        } else {
          EXPECT_EQ(result.end, OutputRunEnd::kFailed) << trace;
          EXPECT_EQ(bench.progress_.messages.size(), 1u) << trace;
          EXPECT_EQ(bench.progress_.beeps, 0) << trace;
        }
        bench.ExpectNothingLost(trace);
      }
    }
  }
  // With backup: 4 backups and 2 copies, 2 moves, 3 deletes, the backup folder, 1 write,
  // 4 backup times and 3 song times, 1 flush; without: 2 copies, 2 moves, 3 deletes,
  // 1 write, 3 times, 1 flush.
  EXPECT_EQ(runs, 21 + 12);
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

nlink_t LinkCount(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_nlink : 0;
}

// Runs that remember hashes: the card has a lasting name and the cache a folder.
class ChangeOnlyTest : public ::testing::Test, protected RunBench {
 protected:
  ChangeOnlyTest() {
    settings_.hash_cache_folder = program_.Path("cache");
    fake_.files.volume_names[card_.path()] = "CARD-1";
    List(Source("a.m4a"), "A");
    List(Source("b.m4a"), "B");
  }

  // The backed-up files of a backup folder, without its times file.
  static std::map<std::string, std::string> BackedUp(const std::string& folder) {
    auto files = FolderContents(folder);
    files.erase(".tarvello/times");
    return files;
  }

  // Runs again and tells what it cost.
  struct Cost {
    int copies, links, whole_reads, samples;
  };
  Cost OutputAgain(OutputRunResult& result) {
    const auto& files = fake_.files;
    const Cost before{files.copy_calls, files.link_calls, files.hash_calls, files.sample_calls};
    result = Output();
    return {files.copy_calls - before.copies, files.link_calls - before.links,
            files.hash_calls - before.whole_reads, files.sample_calls - before.samples};
  }
};

TEST_F(ChangeOnlyTest, ASongTheCardHoldsIsMovedAndItsBackupLinkedToAnEarlierOne) {
  OutputRunResult result;
  ASSERT_EQ(Output().end, OutputRunEnd::kCompleted);
  ASSERT_EQ(Output().end, OutputRunEnd::kCompleted);  // backs the card up by copies
  const auto card_before = FolderContents(settings_.folder);
  const std::time_t first_song_time = WriteTime(InFolder("SDS_0000.3G2"));

  const Cost cost = OutputAgain(result);

  EXPECT_EQ(result.end, OutputRunEnd::kCompleted);
  EXPECT_TRUE(result.verified);
  EXPECT_TRUE(FolderContents(settings_.folder) == card_before);
  // Nothing copied, to the card or the backup: the songs and the management file are
  // links to the last backup; the moved songs are checked by their samples.
  EXPECT_EQ(cost.copies, 0);
  EXPECT_EQ(cost.links, 3);
  EXPECT_EQ(cost.whole_reads, 1);  // the management file, written again
  EXPECT_EQ(cost.samples, 2);
  const std::string backup = settings_.backup_base + "_2";
  EXPECT_TRUE(BackedUp(backup) == card_before);
  EXPECT_EQ(LinkCount(backup + "/SDS_0000.3G2"), 2u);
  EXPECT_EQ(ReadBackupTimes(fake_.files, backup).at("SDS_0000.3G2"), first_song_time);
  // Each backup counts alone; shared files count once for all of them.
  const std::vector<BackupFolderInfo> backups = ListBackups(fake_.files, program_.Path("Backup"));
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_EQ(BackupsDiskBytes(fake_.files, backups), backups[0].bytes);
  EXPECT_EQ(rows_.Row(0).sub_items[kSubFileName], sources_.Path("a.m4a"));
}

TEST_F(ChangeOnlyTest, ACacheThatLiesIsCaughtByTheSampleAndForgotten) {
  settings_.options.BackupBeforeOutput = false;
  ASSERT_EQ(Output().end, OutputRunEnd::kCompleted);
  // Other bytes at the song's end, with its size and time kept: the cache still vouches.
  const std::string song = InFolder("SDS_0000.3G2");
  const std::time_t time = WriteTime(song);
  WriteFile(song, "song a.m4X");
  ASSERT_TRUE(fake_.files.real().SetLastWriteTime(song, time));

  OutputRunResult result;
  const Cost lied = OutputAgain(result);

  EXPECT_EQ(lied.copies, 0);
  EXPECT_EQ(result.end, OutputRunEnd::kFailed);
  EXPECT_THAT(result.mismatched, ElementsAre(song));
  EXPECT_EQ(ReadFile(sources_.Path("a.m4a")), "song a.m4a");
  // The next run reads the file, finds it differs and writes the song again.
  const Cost again = OutputAgain(result);
  EXPECT_EQ(result.end, OutputRunEnd::kCompleted);
  EXPECT_TRUE(result.verified);
  EXPECT_EQ(again.copies, 1);
  EXPECT_EQ(ReadFile(song), "song a.m4a");
}

TEST_F(ChangeOnlyTest, AHardLinkThatFailsIsACopy) {
  ASSERT_EQ(Output().end, OutputRunEnd::kCompleted);
  ASSERT_EQ(Output().end, OutputRunEnd::kCompleted);
  const auto card_before = FolderContents(settings_.folder);
  fake_.files.FailAt(FileOp::kLink, fake_.files.link_calls + 2);

  OutputRunResult result;
  const Cost cost = OutputAgain(result);

  EXPECT_EQ(result.end, OutputRunEnd::kCompleted);
  EXPECT_EQ(cost.links, 3);
  EXPECT_EQ(cost.copies, 1);
  EXPECT_TRUE(BackedUp(settings_.backup_base + "_2") == card_before);
  EXPECT_TRUE(FolderContents(settings_.folder) == card_before);
}

// A FaultBench whose card's file system answers as `make` sets it.
struct CardAnswersBench : FaultBench {
  CardAnswersBench(bool backup, void (*make)(fakes::CardCalls&)) : FaultBench(backup) {
    fake_.files.card().below = card_.path();
    make(fake_.files.card());
  }
};

// A card whose file system answers yes and does something else: the run fails at the
// song concerned, names what the file system did, and never says it completed.
TEST(OutputRunCardAnswersTest, WhatTheCardDidNotDoFailsTheRunWithItsReason) {
  using Card = fakes::CardCalls;
  struct Case {
    const char* name;
    void (*make)(Card&);
    std::string message;  // its lines after the first, the folder's path
    std::string reason;
  };
  const std::string eio = std::system_category().message(EIO);
  const Case cases[] = {
      {"times never kept", [](Card& card) { card.times = Card::Times::kNeverKept; },
       std::string(kSetTimeFailed) + "\r\n", std::string("/SDS_0000.3G2\r\n") + kTimeNotKept},
      {"old name left", [](Card& card) { card.rename_leaves_source = true; },
       std::string(kRenameFailed) + "\r\n", std::string("/SDS_0000.3G2\r\n") + kSourceLeft},
      {"rename not done", [](Card& card) { card.rename_does_nothing = true; },
       std::string(kRenameFailed) + "\r\n", std::string("/SDS_0000.3G2\r\n") + kTargetNotMoved},
      {"fsync fails", [](Card& card) { card.fsync_error = EIO; },
       std::string(kFlushFailed) + "\r\n", "\r\n" + eio},
      {"syncfs fails", [](Card& card) { card.syncfs_error = EIO; },
       std::string(kFlushFailed) + "\r\n", "\r\n" + eio},
  };
  for (const bool backup : {true, false}) {
    for (const Case& each : cases) {
      SCOPED_TRACE(std::string(each.name) + ", backup " + std::to_string(backup));
      CardAnswersBench bench(backup, each.make);

      EXPECT_EQ(bench.Output().end, OutputRunEnd::kFailed);
      EXPECT_THAT(bench.progress_.messages,
                  ElementsAre(each.message + bench.settings_.folder + each.reason));
      EXPECT_EQ(bench.progress_.beeps, 0);
      bench.ExpectNothingLost("");
    }
  }
}

TEST(OutputRunCardAnswersTest, ACardThatKeepsTimesGivenThroughTheFileGetsTheStepsOfTheList) {
  CardAnswersBench bench(true, [](fakes::CardCalls& card) {
    card.times = fakes::CardCalls::Times::kKeptThroughDescriptor;
  });
  bench.fake_.environment.now = 1700000001;

  EXPECT_EQ(bench.Output().end, OutputRunEnd::kCompleted);
  EXPECT_EQ(WriteTime(bench.InFolder("SDS_0000.3G2")), 1700000001);
  EXPECT_EQ(WriteTime(bench.InFolder("SDS_0001.3G2")), 1700000001 - 2);
  EXPECT_EQ(WriteTime(bench.InFolder("SDS_0002.3G2")), 1700000001 - 4);
}

}  // namespace
}  // namespace tarvello
