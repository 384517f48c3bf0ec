#include "catalogue/m4a_reader.h"

#include <cstddef>
#include <cstring>

#include "catalogue/m4a_walk.h"

namespace tarvello {

M4aVerdict ReadM4aRecord(ByteFile& file, TTrackInfo& staging, const std::string& path_to_record,
                         TagTexts* source_texts) {
  // StoreBytes zero-fills the path's field past the path, so each byte is zeroed once.
  constexpr size_t kPathAt = offsetof(TTrackInfo, FileName);
  constexpr size_t kPathEnd = kPathAt + sizeof staging.FileName;
  auto* bytes = reinterpret_cast<unsigned char*>(&staging);
  std::memset(bytes, 0, kPathAt);
  std::memset(bytes + kPathEnd, 0, sizeof staging - kPathEnd);
  StoreBytes(staging.FileName, path_to_record);
  staging.FileSize = file.Size();
  return WalkM4aFile(file, staging, source_texts);
}

M4aVerdict ReadM4aRecord(FileSystem& files, TTrackInfo& staging, const std::string& path_to_open,
                         const std::string& path_to_record, TagTexts* source_texts) {
  const std::unique_ptr<ByteFile> file = files.OpenReadOrThrow(path_to_open);
  return ReadM4aRecord(*file, staging, path_to_record, source_texts);
}

M4aResult ReadM4aTrack(FileSystem& files, TrackTable& table, TTrackInfo& staging,
                       const std::string& path_to_open, const std::string& path_to_record,
                       int32_t index, M4aVerdict* verdict, TagTexts* source_texts) {
  if (index < 0 || index > table.TrackCount()) {
    if (verdict != nullptr) *verdict = {M4aRefusal::kBadIndex, {}};
    return M4aResult::kRejected;
  }
  const M4aVerdict read = ReadM4aRecord(files, staging, path_to_open, path_to_record, source_texts);
  if (verdict != nullptr) *verdict = read;
  if (!read.Accepted()) return M4aResult::kRejected;
  switch (table.StoreTrack(index, staging)) {
    case StoreResult::kStored:
      return M4aResult::kStored;
    case StoreResult::kOutOfMemory:
      return M4aResult::kOutOfMemory;
    case StoreResult::kBadIndex:
      break;
  }
  if (verdict != nullptr) *verdict = {M4aRefusal::kBadIndex, {}};
  return M4aResult::kRejected;
}

}  // namespace tarvello
