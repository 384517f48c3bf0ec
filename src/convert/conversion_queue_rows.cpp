// The conversion queue's side of the list: rows follow their songs' states, and the list's
// order and marks decide which song is made next.

#include <algorithm>
#include <unordered_set>

#include "convert/conversion_queue.h"

namespace tarvello {
namespace {

// Sets `file` to the record file a row names; false for a row without a record.
bool RowFile(const TrackList& rows, const TrackTable& table, int row, std::string& file) {
  const int32_t index = rows.TableIndex(row);
  if (index < 0 || index >= table.TrackCount()) return false;
  file.assign(FieldText(table[index].FileName));
  return true;
}

// Collects runs of neighbouring rows.
class RowRuns {
 public:
  void Add(int row, bool changed) {
    if (changed && first_ < 0) first_ = row;
    if (!changed) End(row);
  }
  std::vector<std::pair<int, int>> Finish(int row_count) {
    End(row_count);
    return std::move(runs_);
  }

 private:
  void End(int row) {
    if (first_ >= 0) runs_.emplace_back(first_, row - 1);
    first_ = -1;
  }
  int first_ = -1;
  std::vector<std::pair<int, int>> runs_;
};

}  // namespace

void ConversionQueue::Prioritize(const TrackList& rows, const TrackTable& table) {
  if (Unfinished() == 0) return;
  std::vector<std::string> order;
  std::unordered_set<std::string> marked;
  std::string file;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (!RowFile(rows, table, row, file)) continue;
    if (rows.Row(row).icon == kIconMarked) marked.insert(file);
    order.push_back(file);
  }
  Prioritize(order, marked);
}

std::vector<int> ConversionQueue::DeliverToRows(TrackTable& table, TTrackInfo& staging,
                                                const TrackList& rows,
                                                std::vector<std::string>& failures) {
  const std::vector<int32_t> changed = Deliver(table, staging, failures);
  std::vector<int> changed_rows;
  if (changed.empty()) return changed_rows;
  const std::unordered_set<int32_t> indexes(changed.begin(), changed.end());
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (indexes.contains(rows.TableIndex(row))) changed_rows.push_back(row);
  }
  return changed_rows;
}

std::vector<std::pair<int, int>> ConversionQueue::FollowStates(TrackList& rows,
                                                               const TrackTable& table) {
  const std::unordered_set<std::string> files = TakeChangedFiles();
  if (files.empty()) return {};
  RowRuns runs;
  std::string file;
  for (int row = 0; row < rows.RowCount(); ++row) {
    bool changed = false;
    if (RowFile(rows, table, row, file) && files.contains(file)) {
      RowConversion conversion = ConversionOf(file);
      RowConversion& shown = rows.Row(row).conversion;
      changed = shown != conversion;
      if (changed) shown = std::move(conversion);
    }
    runs.Add(row, changed);
  }
  return runs.Finish(rows.RowCount());
}

std::vector<std::pair<int, int>> ConversionQueue::TakeStates(TrackList& rows,
                                                             const TrackTable& table, int first,
                                                             int last) {
  std::vector<std::pair<int, int>> older;
  if (TakeAdmittedAgain()) older = FollowStates(rows, table);
  std::string file;
  for (int row = std::max(first, 0); row <= last && row < rows.RowCount(); ++row) {
    if (!RowFile(rows, table, row, file)) continue;
    rows.Row(row).conversion = ConversionOf(file);
    ShowSourceName(rows.Row(row));
  }
  return older;
}

void ConversionQueue::ShowSourceName(TrackRow& row) const {
  std::string& shown = row.sub_items[kSubFileName];
  if (const auto source = SourceOf(shown)) shown = *source;
}

std::vector<int> ConversionQueue::RowsNaming(const TrackList& rows, const TrackTable& table,
                                             const std::unordered_set<std::string>& files) {
  std::vector<int> naming;
  std::string file;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (RowFile(rows, table, row, file) && files.contains(file)) naming.push_back(row);
  }
  return naming;
}

ConversionQueue::MarkedSongs ConversionQueue::CountMarked(const TrackList& rows,
                                                          const TrackTable& table) const {
  MarkedSongs songs;
  std::string file;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (rows.Row(row).icon != kIconMarked || !RowFile(rows, table, row, file)) continue;
    const ConversionState state = StateOf(file);
    if (state == ConversionState::kNone) continue;
    ++songs.converted;
    if (state == ConversionState::kProbing || state == ConversionState::kWaiting ||
        state == ConversionState::kConverting || state == ConversionState::kCancelled) {
      ++songs.waiting;
    }
    if (state == ConversionState::kFailed) songs.failed = true;
  }
  return songs;
}

int ConversionQueue::ReconvertGoneMarked(const TrackList& rows, const TrackTable& table) {
  int queued = 0;
  std::string file;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (rows.Row(row).icon != kIconMarked || !RowFile(rows, table, row, file)) continue;
    if (ReconvertIfGone(file)) ++queued;
  }
  if (queued > 0) Prioritize(rows, table);
  return queued;
}

}  // namespace tarvello
