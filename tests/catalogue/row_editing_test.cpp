// Marking, deletion and the drop of dragged rows on a list over a real table, and a
// property test of random editing sequences.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "catalogue/row_deletion.h"
#include "catalogue/row_marks.h"
#include "catalogue/track_list.h"
#include "common/cp932.h"

namespace tarvello {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr int64_t kCluster = 4096;

class BytewiseCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

TTrackInfo Song(const std::string& title, int32_t time = 200, int64_t size = 5000) {
  TTrackInfo track{};
  StoreText(track.Title, title);
  track.Time = time;
  track.FileSize = size;
  StoreText(track.FileName, "/music/" + title + ".m4a");
  return track;
}

// The totals a recount from scratch gives: the marked rows summed from their records.
OutputTotals FreshRecount(const TrackList& rows, const TrackTable& table) {
  TotalsDelta marked;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (rows.Row(row).icon != kIconMarked) continue;
    const TTrackInfo& track = table[rows.TableIndex(row)];
    marked.Add(track.Time, track.FileSize, kCluster);
  }
  OutputTotals totals;
  AdjustTotals(totals, +1, marked, kCluster);
  return totals;
}

// Where a drop put the rows: the first moved row, how many moved, and the focus.
std::tuple<int, int, int> Placement(const DropResult& result) {
  return {result.first, result.count, result.focus};
}

void ExpectTotalsEqual(const OutputTotals& actual, const OutputTotals& expected) {
  EXPECT_EQ(actual.Count, expected.Count);
  EXPECT_EQ(actual.Seconds, expected.Seconds);
  EXPECT_EQ(actual.Bytes, expected.Bytes);
  EXPECT_EQ(actual.Space, expected.Space);
}

class RowEditingTest : public ::testing::Test {
 protected:
  RowEditingTest() : rows_(NumberSymbols{}, std::make_unique<BytewiseCollator>()) {}

  // Songs "1".."n", added the way the adding commands add them.
  void AddNumbered(int count, int64_t size = 5000) {
    for (int i = 0; i < count; ++i) Add(Song(std::to_string(rows_.RowCount() + 1), 60, size));
  }
  void Add(const TTrackInfo& song) {
    table_.StoreTrack(table_.TrackCount(), song);
    rows_.BuildRows(rows_.RowCount(), table_.TrackCount() - 1, table_, totals_, kCluster);
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < rows_.RowCount(); ++i) captions.push_back(rows_.Row(i).caption);
    return captions;
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (int i = 0; i < rows_.RowCount(); ++i) keys.push_back(rows_.Row(i).sub_items[10]);
    return keys;
  }

  TrackTable table_;
  OutputTotals totals_;
  TrackList rows_;
};

TEST_F(RowEditingTest, MarkingChangesOnlyRowsThatCanChange) {
  AddNumbered(4);
  rows_.Row(3).icon = kIconFileMissing;  // as the recount finds a file gone
  totals_ = FreshRecount(rows_, table_);
  const OutputTotals all_marked = totals_;

  // Marking rows that are marked already changes nothing.
  EXPECT_TRUE(CheckRows(rows_, {0, 1}, totals_, kCluster).empty());
  ExpectTotalsEqual(totals_, all_marked);

  EXPECT_THAT(UncheckRows(rows_, {0, 2, 3}, totals_, kCluster), ElementsAre(0, 2));
  EXPECT_EQ(rows_.Row(0).icon, kIconUnmarked);
  EXPECT_EQ(rows_.Row(3).icon, kIconFileMissing);
  EXPECT_EQ(totals_.Count, 1);
  EXPECT_EQ(totals_.Seconds, 60);

  EXPECT_THAT(CheckRows(rows_, {0, 1, 3}, totals_, kCluster), ElementsAre(0));
  EXPECT_EQ(totals_.Count, 2);

  // The icon click toggles both ways; a missing file's row never changes.
  EXPECT_TRUE(ToggleRowMark(rows_, 1, totals_, kCluster));
  EXPECT_EQ(rows_.Row(1).icon, kIconUnmarked);
  EXPECT_TRUE(ToggleRowMark(rows_, 1, totals_, kCluster));
  EXPECT_EQ(rows_.Row(1).icon, kIconMarked);
  EXPECT_FALSE(ToggleRowMark(rows_, 3, totals_, kCluster));
  EXPECT_FALSE(ToggleRowMark(rows_, 9, totals_, kCluster));
  EXPECT_EQ(rows_.Row(3).icon, kIconFileMissing);
  ExpectTotalsEqual(totals_, FreshRecount(rows_, table_));
}

TEST_F(RowEditingTest, DeletingRowsCompactsTheTableAndRenumbersTheKeys) {
  AddNumbered(5);
  rows_.SortRows(0);
  rows_.SortRows(0);                           // descending: 5 4 3 2 1
  UncheckRows(rows_, {0}, totals_, kCluster);  // song 5 leaves the output set first
  const OutputTotals before = totals_;

  // Songs 2 and 4 sit at rows 3 and 1.
  ASSERT_TRUE(DeleteRows(rows_, table_, {3, 1}, totals_, kCluster));
  EXPECT_EQ(table_.TrackCount(), 3);
  EXPECT_EQ(FieldText(table_[0].Title), "1");
  EXPECT_EQ(FieldText(table_[1].Title), "3");
  EXPECT_EQ(FieldText(table_[2].Title), "5");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(table_[i].Deleted, 0);
  EXPECT_THAT(Captions(), ElementsAre("5", "3", "1"));
  EXPECT_THAT(Keys(), ElementsAre("00002", "00001", "00000"));
  EXPECT_EQ(totals_.Count, before.Count - 2);
  ExpectTotalsEqual(totals_, FreshRecount(rows_, table_));
  EXPECT_EQ(rows_.SortKey(), -1);  // three rows left: the sort stands

  rows_.SortRows(kSortAdditionOrder);
  EXPECT_THAT(Captions(), ElementsAre("1", "3", "5"));

  // Unmarked rows leave the totals alone; a list of one row forgets its sort.
  rows_.SortRows(0);
  UncheckRows(rows_, {0, 1}, totals_, kCluster);
  const OutputTotals one_marked = totals_;
  DeleteRows(rows_, table_, {0, 1}, totals_, kCluster);
  ExpectTotalsEqual(totals_, one_marked);
  EXPECT_EQ(rows_.SortKey(), kSortKeyAdditionOrder);
  EXPECT_EQ(rows_.HeaderImage(0), kNoHeaderImage);
}

TEST_F(RowEditingTest, DeletingEverySongReleasesTheTable) {
  AddNumbered(3);
  EXPECT_FALSE(DeleteRows(rows_, table_, {}, totals_, kCluster));
  ASSERT_TRUE(DeleteRows(rows_, table_, {2, 0, 1, 1, 7}, totals_, kCluster));
  EXPECT_EQ(rows_.RowCount(), 0);
  EXPECT_EQ(table_.TrackCount(), 0);
  EXPECT_FALSE(table_.HasStorage());
  ExpectTotalsEqual(totals_, OutputTotals{});
  Add(Song("next"));
  EXPECT_EQ(rows_.Row(0).sub_items[10], "00000");
}

// The rewrite as a search from the top of the list for each moved record.
void FirstMatchRewrite(std::vector<std::string>& keys, const std::vector<int32_t>& new_index) {
  for (size_t i = 0; i < new_index.size(); ++i) {
    const int32_t j = new_index[i];
    if (j < 0 || j >= static_cast<int32_t>(i)) continue;
    const auto found = std::find(keys.begin(), keys.end(), TableIndexKey(static_cast<int32_t>(i)));
    if (found != keys.end()) *found = TableIndexKey(j);
  }
}

TEST_F(RowEditingTest, KeyRewriteMatchesTheSearchFromTheTopEvenForOddKeys) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    rows_.Clear();
    table_.ClearTable();
    totals_ = {};
    const int count = 1 + static_cast<int>(random() % 30);
    AddNumbered(count);
    // Keys as no builder writes them: duplicates, unpadded and foreign texts.
    for (int k = static_cast<int>(random() % 4); k > 0; --k) {
      const int row = static_cast<int>(random() % count);
      const int32_t other = static_cast<int32_t>(random() % count);
      const std::string odd[] = {TableIndexKey(other), std::to_string(other), "x", "-0001"};
      rows_.Row(row).sub_items[10] = odd[random() % 4];
    }
    std::vector<int32_t> new_index(count);
    int32_t kept = 0;
    for (int i = 0; i < count; ++i) new_index[i] = random() % 3 == 0 ? -1 : kept++;

    std::vector<std::string> expected = Keys();
    FirstMatchRewrite(expected, new_index);
    RewriteRowKeys(rows_, new_index);
    ASSERT_THAT(Keys(), ElementsAreArray(expected)) << "round " << round;
  }
}

class DropTest : public RowEditingTest {
 protected:
  DropTest() { AddNumbered(5); }
};

TEST_F(DropTest, RowsGoBeforeTheTargetInTheirOrder) {
  rows_.SortRows(2);  // any column sort is forgotten by the drop
  const DropResult result = rows_.MoveRows({3, 4}, 1);
  EXPECT_THAT(Captions(), ElementsAre("1", "4", "5", "2", "3"));
  EXPECT_TRUE(result.moved);
  EXPECT_EQ(Placement(result), std::tuple(1, 2, 1));
  EXPECT_EQ(rows_.SortKey(), kSortKeyAdditionOrder);
  EXPECT_EQ(rows_.HeaderImage(2), kNoHeaderImage);

  rows_.SortRows(kSortAdditionOrder);
  EXPECT_THAT(Captions(), ElementsAre("1", "2", "3", "4", "5"));
  const DropResult down = rows_.MoveRows({2, 0}, 4);
  EXPECT_THAT(Captions(), ElementsAre("2", "4", "1", "3", "5"));
  EXPECT_EQ(Placement(down), std::tuple(2, 2, 2));
}

TEST_F(DropTest, BelowTheLastRowMovesThemToTheEnd) {
  rows_.Row(1).icon = kIconUnmarked;
  const OutputTotals before = totals_;
  const DropResult result = rows_.MoveRows({1, 3}, -1);
  EXPECT_THAT(Captions(), ElementsAre("1", "3", "5", "2", "4"));
  EXPECT_THAT(Keys(), ElementsAre("00000", "00002", "00004", "00001", "00003"));
  EXPECT_EQ(rows_.Row(3).icon, kIconUnmarked);  // the mark travels with its row
  ExpectTotalsEqual(totals_, before);
  EXPECT_EQ(Placement(result), std::tuple(3, 2, 3));
}

TEST_F(DropTest, DroppingOntoASelectedRowChangesNothing) {
  rows_.SortRows(2);
  const DropResult result = rows_.MoveRows({1, 2}, 2);
  EXPECT_FALSE(result.moved);
  EXPECT_THAT(Captions(), ElementsAre("1", "2", "3", "4", "5"));
  EXPECT_EQ(rows_.HeaderImage(2), kHeaderAscending);
}

// Random sequences of adding, marking, unmarking, deleting, dragging and sorting. After
// every step each row names a live record of its own, the totals equal a recount, and
// the order of the keys is the order of addition.
TEST_F(RowEditingTest, RandomEditingKeepsRowsTableAndTotalsInStep) {
  std::mt19937 random(20240611);
  std::vector<std::string> added_order;  // titles of the live songs, in order of addition
  int next_title = 0;
  const auto random_selection = [&] {
    std::vector<int> selection;
    for (int row = 0; row < rows_.RowCount(); ++row) {
      if (random() % 3 == 0) selection.push_back(row);
    }
    return selection;
  };
  for (int step = 0; step < 3000; ++step) {
    const int operation = static_cast<int>(random() % 7);
    if (operation == 0 || rows_.RowCount() < 2) {
      for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k) {
        const std::string title = "song" + std::to_string(next_title++);
        Add(Song(title, static_cast<int32_t>(random() % 600),
                 static_cast<int64_t>(random() % 9'000'000)));
        added_order.push_back(title);
      }
      if (random() % 5 == 0) {
        // A file gone missing, as the recount finds it.
        rows_.Row(static_cast<int>(random() % rows_.RowCount())).icon = kIconFileMissing;
        totals_ = FreshRecount(rows_, table_);
      }
    } else if (operation == 1) {
      CheckRows(rows_, random_selection(), totals_, kCluster);
    } else if (operation == 2) {
      UncheckRows(rows_, random_selection(), totals_, kCluster);
    } else if (operation == 3) {
      ToggleRowMark(rows_, static_cast<int>(random() % rows_.RowCount()), totals_, kCluster);
    } else if (operation == 4) {
      const std::vector<int> selection = random_selection();
      for (const int row : selection) {
        std::erase(added_order, rows_.Row(row).caption);
      }
      DeleteRows(rows_, table_, selection, totals_, kCluster);
    } else if (operation == 5) {
      const int target = static_cast<int>(random() % (rows_.RowCount() + 1));
      rows_.MoveRows(random_selection(), target == rows_.RowCount() ? -1 : target);
    } else {
      rows_.SortRows(static_cast<int>(random() % (kColumnCount + 1)) - 1);
    }

    ASSERT_EQ(rows_.RowCount(), table_.TrackCount()) << "step " << step;
    std::vector<std::pair<int32_t, std::string>> by_key;
    std::vector<bool> named(table_.TrackCount(), false);
    for (int row = 0; row < rows_.RowCount(); ++row) {
      const int32_t index = rows_.TableIndex(row);
      ASSERT_TRUE(index >= 0 && index < table_.TrackCount()) << "step " << step;
      ASSERT_FALSE(named[index]) << "step " << step;
      named[index] = true;
      ASSERT_EQ(rows_.Row(row).caption, FieldText(table_[index].Title)) << "step " << step;
      by_key.emplace_back(index, rows_.Row(row).caption);
    }
    ExpectTotalsEqual(totals_, FreshRecount(rows_, table_));
    std::sort(by_key.begin(), by_key.end());
    std::vector<std::string> unordered;
    for (const auto& entry : by_key) unordered.push_back(entry.second);
    ASSERT_EQ(unordered, added_order) << "step " << step;
    if (HasFailure()) return;
  }
  rows_.SortRows(kSortAdditionOrder);
  EXPECT_THAT(Captions(), ElementsAreArray(added_order));
}

}  // namespace
}  // namespace tarvello
