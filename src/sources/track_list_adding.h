#pragma once

// The adding of files as the add command does it, into a table of the caller's: a file
// the M4A reader refuses is read as an XML / RMP track list. Built once here for the
// window and the companion command alike.

#include <functional>
#include <string>
#include <vector>

#include "sources/add_files.h"

namespace tarvello {

// What an adding writes to.
struct AddTarget {
  FileSystem& files;
  TempNameCounter& temp_names;
  std::string temp_folder;  // TempFolder, ending with "/"
  TrackTable& table;
  TTrackInfo& staging;                      // StagingTrack
  std::vector<std::string>& track_id_list;  // TrackIdList
};

using MessageSink = std::function<void(const std::string& text)>;

// An adding into `target`: `report` takes the adding's own messages (the limit, no memory,
// refused files), `notice` the messages of a track list that was read. UTF-8.
AddContext TrackListAddContext(const AddTarget& target, MessageSink report, MessageSink notice);

}  // namespace tarvello
