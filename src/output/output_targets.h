#pragma once

// Look-ups of the rows marked for output by path, for the folder cleanup. They give the
// same row as a scan from the top of the list would, without scanning the list for every
// file in the folder.

#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/track_list.h"
#include "catalogue/track_table.h"

namespace tarvello {

class OutputTargetIndex {
 public:
  OutputTargetIndex(const TrackList& rows, const TrackTable& table);

  // The first marked row whose listed path (sub-item 9) is `path`; -1 when there is none.
  int FirstByListedPath(const std::string& path) const;
  // The first marked row whose record's FileName is `path`; -1 when there is none.
  int FirstByFileName(const std::string& path) const;
  // Follows a change of the FileName of `row`'s record.
  void FileNameChanged(int row, const std::string& old_name, const std::string& new_name);

 private:
  std::unordered_map<std::string, int> listed_;
  // Rows in list order for every FileName; usually one.
  std::unordered_map<std::string, std::vector<int>> file_names_;
};

// True for a marked row (an output target).
inline bool IsOutputTarget(const TrackRow& row) {
  return row.icon == kIconMarked;
}

// The record a row names, or nullptr when its key names none.
const TTrackInfo* RowRecord(const TrackList& rows, const TrackTable& table, int row);
TTrackInfo* RowRecord(const TrackList& rows, TrackTable& table, int row);

}  // namespace tarvello
