#include "catalogue/m4a_info.h"

#include <exception>

#include "catalogue/m4a_reader.h"
#include "catalogue/track_json.h"
#include "catalogue/track_table.h"

namespace tarvello {
namespace {

// The stored record of one file, or false with the reason written to `err`.
bool ReadOne(FileSystem& files, const std::string& path, TTrackInfo& track, std::ostream& err) {
  TrackTable table;
  try {
    switch (ReadM4aTrack(files, table, track, path, path, 0)) {
      case M4aResult::kStored:
        return true;
      case M4aResult::kRejected:
        err << "not an M4A song: " << path << "\n";
        return false;
      case M4aResult::kOutOfMemory:
        err << "out of memory: " << path << "\n";
        return false;
    }
  } catch (const std::exception& error) {
    err << error.what() << "\n";
  }
  return false;
}

}  // namespace

int WriteM4aInfo(FileSystem& files, const std::vector<std::string>& paths, std::ostream& out,
                 std::ostream& err) {
  int status = 0;
  TTrackInfo track{};
  for (const std::string& path : paths) {
    const bool accepted = ReadOne(files, path, track, err);
    out << TrackJsonLine(path, accepted ? &track : nullptr) << "\n";
    if (!accepted) status = 1;
  }
  out.flush();
  return status;
}

}  // namespace tarvello
