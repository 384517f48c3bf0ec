#include "output/output_targets.h"

#include <algorithm>

namespace tarvello {

OutputTargetIndex::OutputTargetIndex(const TrackList& rows, const TrackTable& table) {
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (!IsOutputTarget(rows.Row(row))) continue;
    // emplace keeps the first row of a path.
    listed_.emplace(rows.Row(row).sub_items[kSubFileName], row);
    if (const TTrackInfo* record = RowRecord(rows, table, row)) {
      file_names_[std::string(FieldText(record->FileName))].push_back(row);
    }
  }
}

int OutputTargetIndex::FirstByListedPath(const std::string& path) const {
  const auto found = listed_.find(path);
  return found == listed_.end() ? -1 : found->second;
}

int OutputTargetIndex::FirstByFileName(const std::string& path) const {
  const auto found = file_names_.find(path);
  return found == file_names_.end() || found->second.empty() ? -1 : found->second.front();
}

void OutputTargetIndex::FileNameChanged(int row, const std::string& old_name,
                                        const std::string& new_name) {
  if (auto old_rows = file_names_.find(old_name); old_rows != file_names_.end()) {
    std::erase(old_rows->second, row);
  }
  std::vector<int>& new_rows = file_names_[new_name];
  new_rows.insert(std::lower_bound(new_rows.begin(), new_rows.end(), row), row);
}

const TTrackInfo* RowRecord(const TrackList& rows, const TrackTable& table, int row) {
  const int32_t index = rows.TableIndex(row);
  return index >= 0 && index < table.TrackCount() ? &table[index] : nullptr;
}

TTrackInfo* RowRecord(const TrackList& rows, TrackTable& table, int row) {
  const int32_t index = rows.TableIndex(row);
  return index >= 0 && index < table.TrackCount() ? &table[index] : nullptr;
}

}  // namespace tarvello
