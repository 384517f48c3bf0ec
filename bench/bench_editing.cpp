// Editing a full list of 10,000 rows: deleting 5,000 scattered rows, dropping 5,000
// selected rows, marking every row. The deletion's peer rewrites the row keys the way a
// search from the top of the list would, one search per moved record.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "catalogue/row_deletion.h"
#include "catalogue/row_marks.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"

namespace tarvello {
namespace {

constexpr int kRows = kMaxTracks;
constexpr int64_t kCluster = 32768;

class BytewiseCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
};

// A full table and its rows, shuffled by a sort on the size column so that the rows' keys
// are out of order, as after a user's sorting.
struct FullList {
  TrackTable table;
  OutputTotals totals;
  std::unique_ptr<TrackList> rows =
      std::make_unique<TrackList>(NumberSymbols{}, std::make_unique<BytewiseCollator>());

  FullList() {
    std::mt19937 random(42);
    for (int i = 0; i < kRows; ++i) {
      TTrackInfo track{};
      StoreText(track.Title, "song " + std::to_string(i));
      StoreText(track.FileName, "/music/song" + std::to_string(i) + ".m4a");
      track.Time = static_cast<int32_t>(random() % 600);
      track.FileSize = static_cast<int64_t>(random() % 10'000'000);
      table.StoreTrack(i, track);
    }
    rows->BuildRows(0, kRows - 1, table, totals, kCluster);
    rows->SortRows(9);
  }
};

// Every other row, scattered over the whole list.
std::vector<int> EveryOtherRow() {
  std::vector<int> rows;
  for (int row = 0; row < kRows; row += 2) rows.push_back(row);
  return rows;
}

void BM_DeleteHalfOfTheRows(benchmark::State& state) {
  const std::vector<int> selected = EveryOtherRow();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<FullList>();
    state.ResumeTiming();
    DeleteRows(*list->rows, list->table, selected, list->totals, kCluster);
    benchmark::DoNotOptimize(list->rows->RowCount());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DeleteHalfOfTheRows)->Unit(benchmark::kMillisecond);

// The peer: the same deletion with one search from the top of the list per moved record.
void BM_DeleteHalfOfTheRowsSearchingEachKey(benchmark::State& state) {
  const std::vector<int> selected = EveryOtherRow();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<FullList>();
    state.ResumeTiming();
    TrackList& rows = *list->rows;
    for (const int row : selected) list->table[rows.TableIndex(row)].Deleted = 1;
    const std::vector<int32_t> new_index = list->table.CompactTable();
    for (int32_t i = 0; i < static_cast<int32_t>(new_index.size()); ++i) {
      if (new_index[i] < 0 || new_index[i] >= i) continue;
      const std::string key = TableIndexKey(i);
      for (int row = 0; row < rows.RowCount(); ++row) {
        if (rows.Row(row).sub_items[kSubTableIndex] != key) continue;
        rows.Row(row).sub_items[kSubTableIndex] = TableIndexKey(new_index[i]);
        break;
      }
    }
    rows.RemoveRows(selected);
    benchmark::DoNotOptimize(rows.RowCount());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DeleteHalfOfTheRowsSearchingEachKey)->Unit(benchmark::kMillisecond);

void BM_DropHalfOfTheRows(benchmark::State& state) {
  FullList list;
  const std::vector<int> selected = EveryOtherRow();
  for (auto _ : state) {
    benchmark::DoNotOptimize(list.rows->MoveRows(selected, kRows / 2 + 1));
  }
}
BENCHMARK(BM_DropHalfOfTheRows)->Unit(benchmark::kMillisecond);

void BM_MarkEveryRow(benchmark::State& state) {
  FullList list;
  std::vector<int> all(kRows);
  for (int row = 0; row < kRows; ++row) all[row] = row;
  for (auto _ : state) {
    state.PauseTiming();
    UncheckRows(*list.rows, all, list.totals, kCluster);
    state.ResumeTiming();
    benchmark::DoNotOptimize(CheckRows(*list.rows, all, list.totals, kCluster));
  }
}
BENCHMARK(BM_MarkEveryRow)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvello

BENCHMARK_MAIN();
