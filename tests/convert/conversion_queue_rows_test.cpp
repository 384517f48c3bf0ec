// The queue's side of the list, over a scripted pool: rows take their songs' states and
// are named for a redraw in runs, the list's marks and order decide what is made next,
// the marked rows' songs are counted for the output, and a row without a record is passed
// over everywhere.

#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <vector>

#include "convert/conversion_queue.h"
#include "convert/scripted_pool.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using testing::ScriptedPool;

struct ByteOrder : TextCollator {
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

class ConversionQueueRowsTest : public ::testing::Test {
 protected:
  ConversionQueueRowsTest()
      : queue_(
            files_, cache_.path(), ConvertSettings{}, [] {}, kDefaultCacheBytes,
            [this](ConvertCache& cache, ConvertListener& listener) {
              auto pool = std::make_unique<ScriptedPool>(cache, listener);
              pool_ = pool.get();
              return pool;
            }),
        rows_(NumberSymbols{}, std::make_unique<ByteOrder>()) {}

  // Lists `sources` as new rows, admitted when they end in ".mp3", as the window adds them.
  void List(const std::vector<std::string>& sources) {
    const int first = rows_.RowCount();
    for (const std::string& source : sources) {
      if (source.ends_with(".mp3")) {
        ASSERT_EQ(queue_.Admit(source, staging_), Admission::kAdmitted) << source;
      } else {
        staging_ = TTrackInfo{};
        StoreBytes(staging_.FileName, source);
        StoreBytes(staging_.Title, source);
      }
      ASSERT_EQ(table_.StoreTrack(table_.TrackCount(), staging_), StoreResult::kStored);
    }
    SettleProbes();
    rows_.BuildRows(first, table_.TrackCount() - 1, table_, totals_, 0);
    queue_.TakeStates(rows_, table_, first, rows_.RowCount() - 1);
  }
  // Waits for the probes the queue asked for and applies them.
  void SettleProbes() {
    while (queue_.Probing() > 0) {
      queue_.WaitForResult(1000);
      queue_.Deliver(table_, staging_, failures_);
    }
  }
  ConversionState StateOfRow(int row) const { return rows_.Row(row).conversion.state; }

  fakes::TempDir cache_;
  PosixFileSystem files_;
  ScriptedPool* pool_ = nullptr;
  ConversionQueue queue_;
  TrackTable table_;
  TTrackInfo staging_{};
  TrackList rows_;
  OutputTotals totals_;
  std::vector<std::string> failures_;
};

TEST_F(ConversionQueueRowsTest, RowsFollowTheirSongsAndMarksAndOrderLeadTheWork) {
  List({"/m/a.mp3", "/m/plain.m4a", "/m/b.mp3", "/m/c.mp3"});
  EXPECT_EQ(StateOfRow(0), ConversionState::kWaiting);
  EXPECT_EQ(StateOfRow(1), ConversionState::kNone);
  // Only c is marked: it goes first, then the list's order.
  rows_.Row(0).icon = kIconUnmarked;
  rows_.Row(2).icon = kIconUnmarked;
  queue_.Prioritize(rows_, table_);
  EXPECT_THAT(queue_.CountMarked(rows_, table_), FieldsAre(1, 1, false));
  pool_->outcomes["/m/b.mp3"] = {ConvertAction::kFailed, {}, "no frames"};
  pool_->RunAll();
  EXPECT_THAT(pool_->ran, ElementsAre("/m/c.mp3", "/m/a.mp3", "/m/b.mp3"));
  EXPECT_THAT(queue_.DeliverToRows(table_, staging_, rows_, failures_), ElementsAre(0, 3));
  EXPECT_EQ(failures_.size(), 1u);
  // Each run of neighbouring changed rows is named once; the plain song's row is not.
  EXPECT_THAT(queue_.FollowStates(rows_, table_), ElementsAre(Pair(0, 0), Pair(2, 3)));
  EXPECT_THAT(queue_.FollowStates(rows_, table_), IsEmpty());
  EXPECT_EQ(StateOfRow(2), ConversionState::kFailed);
  EXPECT_EQ(StateOfRow(3), ConversionState::kReady);
  // The made song's row still shows the user's file.
  rows_.BuildRows(3, 3, table_, totals_, 0);
  queue_.ShowSourceName(rows_.Row(3));
  EXPECT_EQ(rows_.Row(3).sub_items[kSubFileName], "/m/c.mp3");
  // The marked failure stops the output; unmarked, nothing waits.
  rows_.Row(2).icon = kIconMarked;
  EXPECT_THAT(queue_.CountMarked(rows_, table_), FieldsAre(2, 0, true));
}

TEST_F(ConversionQueueRowsTest,
       ASourceAddedAgainUpdatesItsOlderRowsAndRowsWithoutARecordArePassedOver) {
  List({"/m/a.mp3", "/m/plain.m4a"});
  pool_->RunAll();
  queue_.DeliverToRows(table_, staging_, rows_, failures_);
  queue_.FollowStates(rows_, table_);
  ASSERT_EQ(StateOfRow(0), ConversionState::kReady);
  // A row whose record is gone from the table counts for nothing and breaks nothing.
  rows_.Row(1).sub_items[kSubTableIndex] = "99";
  List({"/m/a.mp3"});
  EXPECT_EQ(StateOfRow(2), ConversionState::kReady);
  EXPECT_THAT(queue_.CountMarked(rows_, table_), FieldsAre(2, 0, false));
  EXPECT_EQ(queue_.ReconvertGoneMarked(rows_, table_), 0);
}

}  // namespace
}  // namespace tarvello
