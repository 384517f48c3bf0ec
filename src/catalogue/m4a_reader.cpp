#include "catalogue/m4a_reader.h"

#include <cstring>

#include "catalogue/m4a_walk.h"

namespace tarvello {

M4aResult ReadM4aTrack(FileSystem& files, TrackTable& table, TTrackInfo& staging,
                       const std::string& path_to_open, const std::string& path_to_record,
                       int32_t index) {
  if (index < 0 || index > table.TrackCount()) return M4aResult::kRejected;
  std::memset(&staging, 0, sizeof staging);
  StoreBytes(staging.FileName, path_to_record);
  const std::unique_ptr<ByteFile> file = files.OpenReadOrThrow(path_to_open);
  staging.FileSize = file->Size();
  if (!WalkM4aFile(*file, staging)) return M4aResult::kRejected;
  switch (table.StoreTrack(index, staging)) {
    case StoreResult::kStored:
      return M4aResult::kStored;
    case StoreResult::kOutOfMemory:
      return M4aResult::kOutOfMemory;
    case StoreResult::kBadIndex:
      break;
  }
  return M4aResult::kRejected;
}

}  // namespace tarvello
