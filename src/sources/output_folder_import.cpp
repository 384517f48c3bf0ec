#include "sources/output_folder_import.h"

#include <vector>

#include "catalogue/m4a_reader.h"

namespace tarvello {
namespace {

// The temporary copy a song was read from, deleted however the reading ends.
class CopyDeleter {
 public:
  CopyDeleter(FileSystem& files, const std::string& readable, const std::string& path)
      : files_(files), copy_(readable != path ? readable : std::string()) {}
  ~CopyDeleter() {
    if (!copy_.empty()) files_.DeleteFile(copy_);
  }
  CopyDeleter(const CopyDeleter&) = delete;
  CopyDeleter& operator=(const CopyDeleter&) = delete;

 private:
  FileSystem& files_;
  std::string copy_;
};

enum class SongRead { kGoOn, kStop };

SongRead ReadOneSong(FileSystem& files, const std::string& readable, const std::string& path,
                     TrackTable& table, TTrackInfo& staging, SourceMessages& messages) {
  M4aResult result = M4aResult::kRejected;
  try {
    result = ReadM4aTrack(files, table, staging, readable, path, table.TrackCount());
  } catch (const FileError&) {
    // A file that cannot be read is skipped like any other file that is no song.
    return SongRead::kGoOn;
  }
  if (result != M4aResult::kOutOfMemory) return SongRead::kGoOn;
  messages.push_back(kOutOfMemoryMessage);
  return SongRead::kStop;
}

}  // namespace

SourceMessages ReadFolderSongs(FileSystem& files, TempNameCounter& temp_names,
                               const std::string& temp_folder, const std::string& folder,
                               TrackTable& table, TTrackInfo& staging) {
  SourceMessages messages;
  for (const DirEntry& entry : files.ListDirectory(folder)) {
    if (entry.is_directory || entry.is_hidden || entry.is_system) continue;
    const std::string path = folder + "/" + entry.name;
    const std::string readable =
        GetReadablePath(files, temp_names, path, true, temp_folder, kCopyPrefix, kCopyExtension);
    if (readable.empty()) continue;
    const CopyDeleter copy(files, readable, path);
    if (!table.CanAdd()) {
      messages.push_back(TrackLimitText());
      break;
    }
    if (ReadOneSong(files, readable, path, table, staging, messages) == SongRead::kStop) break;
  }
  return messages;
}

}  // namespace tarvello
