#pragma once

// The adding of one user path, shared by the add command, dropped files and the
// companion command: a readable path (a temporary copy of a locked file), the song
// limit, the M4A reader, then the track-list reader, and the messages of each way out.

#include <functional>
#include <string>

#include "catalogue/track_table.h"
#include "common/common_routine.h"
#include "platform/platform.h"
#include "sources/refusal_list.h"

namespace tarvello {

inline constexpr const char* kCannotOpenMessage = "ファイルがオープンできません.";
inline constexpr const char* kNotASongMessage = "追加できる曲情報ではありません.";

struct AddContext {
  FileSystem& files;
  TempNameCounter& temp_names;
  std::string temp_folder;  // TempFolder, ending with "/"
  TrackTable& table;
  TTrackInfo& staging;  // StagingTrack
  // Reads a file the M4A reader refused as an XML/RMP track list; true when it stored songs.
  std::function<bool(const std::string& path)> read_track_list;
  // Shows one of the adding's messages (an information box, or a line on stderr). UTF-8.
  std::function<void(const std::string& text)> report;
  // Takes a file that was not added, with its reason; when empty, the file's text goes to
  // `report` at once.
  std::function<void(const RefusedFile& file)> refuse = {};
  // Stores a record for a file the M4A reader refused that can be converted into a song;
  // true when it did. Tried before the track-list reader; may be empty.
  std::function<bool(const std::string& path)> add_converted = {};
};

// kStop: the limit or out of memory ends the adding.
enum class AddOutcome { kAdded, kSkipped, kStop };

// Adds one user path as the add command and the drop do: readable path (temporary copy of a
// locked file, deleted afterwards on every way out), the song limit, the M4A reader, then the
// track-list reader, and the messages. The path is made absolute and normal first; the record
// and the messages name it so. Stores records in the table only; rows are the caller's.
// An input/output error the readers do not handle raises FileError, which ends the adding.
AddOutcome AddSongPath(AddContext& context, const std::string& path);

// A path chosen in the add dialog: itself when a file of that name exists (a name may end
// in a blank), else the path without the blanks and control characters at its ends (the
// add dialog trims, drops do not).
std::string DialogPath(FileSystem& files, const std::string& path);

}  // namespace tarvello
