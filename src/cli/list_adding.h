#pragma once

// What the list-reading commands add to: a table of their own, and the messages that the
// adding collects instead of showing boxes.

#include <string>
#include <vector>

#include "sources/add_files.h"
#include "sources/pending_tracks.h"

namespace tarvello::cli {

struct ListAdding {
  TempNameCounter temp_names;
  TrackTable table;
  TTrackInfo staging{};
  std::vector<std::string> track_id_list;
  SourceMessages messages;

  // Adds as the window does: a file the M4A reader refuses is read as a track list.
  AddContext Context(FileSystem& files, Environment& environment);
};

}  // namespace tarvello::cli
