#include "output/output_summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;
using fakes::TempDir;
using fakes::WriteFile;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecountTest : public ::testing::Test {
 protected:
  RecountTest() : rows_(NumberSymbols{",", "."}, MakeLocaleCollator()) {}

  std::string PathOf(int n) const { return folder_.Path("song" + std::to_string(n) + ".m4a"); }

  void CreateFile(int n) { WriteFile(PathOf(n), "x"); }

  // Adds songs whose files exist (the sizes are the record's, not the file's).
  void AddSongs(int count, int64_t size = 5000, int32_t time = 100) {
    const int first = rows_.RowCount();
    for (int i = 0; i < count; ++i) {
      const int n = table_.TrackCount();
      CreateFile(n);
      TTrackInfo track{};
      track.Time = time;
      track.FileSize = size;
      StoreText(track.FileName, PathOf(n));
      table_.StoreTrack(n, track);
    }
    OutputTotals ignored;
    rows_.BuildRows(first, table_.TrackCount() - 1, table_, ignored, 0);
  }

  RecountResult Run(int64_t cluster_size) { return Recount(rows_, table_, files_, cluster_size); }

  TempDir folder_;
  TrackTable table_;
  TrackList rows_;
  PosixFileSystem files_;
};

TEST_F(RecountTest, RoundsSongsAndManagementFileToTheCluster) {
  AddSongs(1, 5000, 65);
  const OutputTotals small = Run(4096).totals;
  EXPECT_EQ(small.Count, 1);
  EXPECT_EQ(small.Seconds, 65);
  EXPECT_EQ(small.Bytes, 5000);
  EXPECT_EQ(small.Space, 8192 + 12288);
  EXPECT_EQ(Run(32768).totals.Space, 32768 + 32768);
  EXPECT_EQ(Run(0).totals.Space, 5000 + 9632);
}

TEST_F(RecountTest, StartsAManagementFileEveryHundredSongs) {
  AddSongs(100);
  EXPECT_EQ(Run(4096).totals.Space, 100 * 8192 + 12288);
  AddSongs(1);
  const OutputTotals totals = Run(4096).totals;
  EXPECT_EQ(totals.Count, 101);
  EXPECT_EQ(totals.Bytes, 101 * 5000);
  EXPECT_EQ(totals.Space, 101 * 8192 + 2 * 12288);
}

TEST_F(RecountTest, VanishedFileLeavesTheTotalsUntilItComesBack) {
  AddSongs(3);
  ASSERT_THAT(Run(0).changed_rows, IsEmpty());
  fs::remove(PathOf(1));

  RecountResult gone = Run(0);
  EXPECT_EQ(rows_.Row(1).icon, kIconFileMissing);
  EXPECT_THAT(gone.changed_rows, ElementsAre(1));
  EXPECT_EQ(gone.totals.Count, 2);
  EXPECT_EQ(gone.totals.Bytes, 10000);
  EXPECT_THAT(Run(0).changed_rows, IsEmpty());  // still missing: nothing to repaint

  CreateFile(1);
  RecountResult back = Run(0);
  EXPECT_EQ(rows_.Row(1).icon, kIconMarked);
  EXPECT_THAT(back.changed_rows, ElementsAre(1));
  EXPECT_EQ(back.totals.Count, 3);
}

TEST_F(RecountTest, UnmarkedRowsStayUnmarkedWhileTheirFilesExist) {
  AddSongs(3);
  rows_.Row(0).icon = kIconUnmarked;
  rows_.Row(2).icon = kIconUnmarked;
  RecountResult result = Run(0);
  EXPECT_EQ(rows_.Row(0).icon, kIconUnmarked);
  EXPECT_EQ(rows_.Row(2).icon, kIconUnmarked);
  EXPECT_THAT(result.changed_rows, IsEmpty());
  EXPECT_EQ(result.totals.Count, 1);

  // A file that went missing and came back makes its row an output target again.
  fs::remove(PathOf(2));
  Run(0);
  CreateFile(2);
  EXPECT_EQ(Run(0).totals.Count, 2);
  EXPECT_EQ(rows_.Row(2).icon, kIconMarked);
}

TEST_F(RecountTest, CountsFromTheRecordsInRowOrder) {
  AddSongs(2, 1000, 10);
  rows_.SortRows(0);
  rows_.SortRows(0);
  // The file was read again with a new size: the recount takes the record's values.
  table_[1].FileSize = 7000;
  table_[1].Time = 50;
  const OutputTotals totals = Run(0).totals;
  EXPECT_EQ(totals.Bytes, 8000);
  EXPECT_EQ(totals.Seconds, 60);
}

TEST_F(RecountTest, StopsAtTheShorterOfRowsAndTable) {
  AddSongs(3);
  table_[2].Deleted = 1;
  table_.CompactTable();  // a deletion in progress: the last row has no record yet
  fs::remove(PathOf(2));
  const RecountResult result = Run(0);
  EXPECT_EQ(rows_.Row(2).icon, kIconMarked);
  EXPECT_EQ(result.totals.Count, 2);
}

TEST(SummaryTextTest, PlayTimeTurnsToHoursFromSixtyOneMinutes) {
  EXPECT_EQ(SummaryPlayTime(0), "0:00");
  EXPECT_EQ(SummaryPlayTime(3599), "59:59");
  EXPECT_EQ(SummaryPlayTime(3600), "60:00");
  EXPECT_EQ(SummaryPlayTime(3659), "60:59");
  EXPECT_EQ(SummaryPlayTime(3660), "1h01:00");
  EXPECT_EQ(SummaryPlayTime(36000 + 65), "10h01:05");
  EXPECT_EQ(SummaryPlayTime(std::numeric_limits<int32_t>::min()), "-596523h14:08");
}

TEST(SummaryTextTest, ShowsCountsTimeAndSizes) {
  const NumberSymbols symbols{",", "."};
  EXPECT_EQ(SummaryText(OutputTotals{}, 3, symbols),
            "出力対象 0 / 3, 0:00, 0 バイト 必要領域 0 バイト");
  EXPECT_EQ(SummaryText(OutputTotals{2, 3660, 5000000, 5000000}, 12345, symbols),
            "出力対象 2 / 12345, 1h01:00, 4.77 MB 必要領域 4.77 MB");
}

TEST(ExecuteAllowedTest, NeedsSongsADriveAndEnoughRoom) {
  const OutputTotals totals{1, 60, 5000, 20480};
  EXPECT_TRUE(ExecuteAllowed(totals, true, 20480));  // exactly enough
  EXPECT_TRUE(ExecuteAllowed(totals, true, 20481));
  EXPECT_FALSE(ExecuteAllowed(totals, true, 20479));
  EXPECT_FALSE(ExecuteAllowed(totals, false, 1 << 30));
  EXPECT_FALSE(ExecuteAllowed(OutputTotals{}, true, 1 << 30));
}

TEST(ExecuteAllowedTest, CountsTheOutputFolderAsAvailable) {
  const OutputTotals totals{1, 60, 5000, 20480};
  TDriveInfo drive;
  drive.FreeBytes = 10000;
  drive.OutputFolderBytes = 10480;
  EXPECT_TRUE(ExecuteAllowed(totals, &drive));
  drive.OutputFolderBytes = 10479;
  EXPECT_FALSE(ExecuteAllowed(totals, &drive));
  EXPECT_FALSE(ExecuteAllowed(totals, nullptr));
  drive.FreeBytes = std::numeric_limits<int64_t>::max();
  drive.OutputFolderBytes = 1;
  EXPECT_TRUE(ExecuteAllowed(totals, &drive));
}

}  // namespace
}  // namespace tarvello
