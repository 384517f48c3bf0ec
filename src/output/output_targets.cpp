#include "output/output_targets.h"

#include <algorithm>
#include <utility>

namespace tarvello {

const TTrackInfo* RowRecord(const TrackList& rows, const TrackTable& table, int row) {
  const int32_t index = rows.TableIndex(row);
  return index >= 0 && index < table.TrackCount() ? &table[index] : nullptr;
}

TTrackInfo* RowRecord(const TrackList& rows, TrackTable& table, int row) {
  const int32_t index = rows.TableIndex(row);
  return index >= 0 && index < table.TrackCount() ? &table[index] : nullptr;
}

OutputSourceIndex::OutputSourceIndex(const TrackList& rows, const TrackTable& table,
                                     FileSystem& files)
    : files_(files) {
  for (int row = 0; row < rows.RowCount(); ++row) {
    const TTrackInfo* record = RowRecord(rows, table, row);
    if (record == nullptr) continue;
    SourceRows& found = rows_[KeyOf(std::string(FieldText(record->FileName)))];
    (IsOutputTarget(rows.Row(row)) ? found.targets : found.others).push_back(row);
  }
}

OutputSourceIndex::Key OutputSourceIndex::KeyOf(const std::string& path) const {
  if (std::optional<FileIdentity> identity = files_.Identify(path)) return {identity, {}};
  return {std::nullopt, files_.AbsolutePath(path)};
}

SourceRows OutputSourceIndex::TakeRowsOf(const std::string& path) {
  const auto found = rows_.find(KeyOf(path));
  if (found == rows_.end()) return {};
  SourceRows rows = std::move(found->second);
  rows_.erase(found);
  return rows;
}

std::vector<int> OutputSourceIndex::RemainingTargets() const {
  std::vector<int> targets;
  for (const auto& [key, rows] : rows_)
    targets.insert(targets.end(), rows.targets.begin(), rows.targets.end());
  std::sort(targets.begin(), targets.end());
  return targets;
}

}  // namespace tarvello
