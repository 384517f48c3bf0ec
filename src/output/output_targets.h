#pragma once

// The rows marked for output, found by what their songs' files are. The folder cleanup
// asks for every file of the output folder whether it is the source of an output target;
// the answer goes by device and inode, so no spelling of a path (a relative one, doubled
// "/", a symbolic link, a second mount point) can make a song look like a stranger.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "platform/platform.h"

namespace tarvello {

// True for a marked row (an output target).
inline bool IsOutputTarget(const TrackRow& row) {
  return row.icon == kIconMarked;
}

// The record a row names, or nullptr when its key names none.
const TTrackInfo* RowRecord(const TrackList& rows, const TrackTable& table, int row);
TTrackInfo* RowRecord(const TrackList& rows, TrackTable& table, int row);

// The rows whose song is one file.
struct SourceRows {
  std::vector<int> targets;  // marked for output, in list order
  std::vector<int> others;   // not marked, or shown as missing
};

class OutputSourceIndex {
 public:
  // Looks at the source file (the record's FileName) of every row.
  OutputSourceIndex(const TrackList& rows, const TrackTable& table, FileSystem& files);

  // The rows whose source is the file `path`. The file is forgotten: a second name of it
  // finds no rows.
  SourceRows TakeRowsOf(const std::string& path);

  // The marked rows whose files have not been taken, in list order: after the folder's
  // files were taken, the songs from outside the folder.
  std::vector<int> RemainingTargets() const;

 private:
  // The file's identity, or its normal path on a file system that cannot tell one.
  struct Key {
    std::optional<FileIdentity> identity;
    std::string path;
    auto operator<=>(const Key&) const = default;
  };
  Key KeyOf(const std::string& path) const;

  FileSystem& files_;
  std::map<Key, SourceRows> rows_;
};

}  // namespace tarvello
