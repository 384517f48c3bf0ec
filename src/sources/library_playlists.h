#pragma once

// The playlists of a music library file: their names and the track IDs each lists, read
// by a line scanner that looks at nothing before the playlists array.

#include <string>
#include <vector>

#include "common/common_routine.h"
#include "platform/platform.h"

namespace tarvello {

struct PlaylistCatalogue {
  // Names in file order, CP932; not entity-decoded.
  std::vector<std::string> names;
  // The same names as the file writes them (UTF-8); empty where that is not well-formed.
  std::vector<std::string> utf8_names;
  // Entry i belongs to names[i]: the playlist's track IDs as written, each followed by ",".
  std::vector<std::string> track_ids;
};

// Scans a library file (header test first). A track ID read before any playlist has been
// listed belongs to no playlist and is passed over.
PlaylistCatalogue ScanPlaylists(ByteFile& file);

struct LibraryPlaylists {
  // The file actually read: the library itself or a temporary copy of it; empty when
  // neither could be read.
  std::string read_path;
  PlaylistCatalogue playlists;
  // The system's message and the path when the file opened but its reading failed; the
  // library then has no playlists. Empty otherwise.
  std::string read_error;
};

// Finds a readable path for the library (a temporary copy in `temp_folder` when the file
// is locked) and scans it. A missing library, or one that cannot be opened, has no
// playlists; one whose reading fails has none either, and says why.
LibraryPlaylists ReadLibraryPlaylists(FileSystem& files, TempNameCounter& temp_names,
                                      const std::string& library_file,
                                      const std::string& temp_folder);

}  // namespace tarvello
