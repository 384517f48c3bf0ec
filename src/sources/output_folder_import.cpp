#include "sources/output_folder_import.h"

#include <algorithm>
#include <memory>
#include <system_error>

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

// The plain files of the listing in the byte order of their names: a folder the output run
// wrote lists so on the card, so SDS_0000 comes first whatever the file system's order.
std::vector<DirEntry> SongCandidates(std::vector<DirEntry> entries) {
  std::erase_if(entries, [](const DirEntry& entry) {
    return entry.is_directory || entry.is_hidden || entry.is_system;
  });
  // std::string compares its bytes as unsigned characters.
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  return entries;
}

// "path: the system's reason" for one line of the read-error message.
std::string ReadErrorLine(const std::string& path, const FileError& error) {
  const std::string reason = error.error_number() != 0
                                 ? std::system_category().message(error.error_number())
                                 : std::string(error.what());
  return path + ": " + reason;
}

std::string ReadErrorsMessage(const std::vector<std::string>& lines) {
  std::string text = kFolderReadErrorsMessage;
  text += "\r\n";
  const size_t listed = std::min(lines.size(), kMaxListedReadErrors);
  for (size_t i = 0; i < listed; ++i) text += "\r\n" + lines[i];
  if (lines.size() > listed) {
    text += "\r\nほか " + std::to_string(lines.size() - listed) + " 件";
  }
  return text;
}

enum class SongRead { kGoOn, kStop };

SongRead ReadOneSong(FileSystem& files, const std::string& readable, const std::string& path,
                     TrackTable& table, TTrackInfo& staging, FolderSongs& result,
                     std::vector<std::string>& error_lines) {
  const std::unique_ptr<ByteFile> file = files.OpenRead(readable);
  // A file that cannot be opened is skipped like any other file that is no song.
  if (!file) return SongRead::kGoOn;
  try {
    if (!ReadM4aRecord(*file, staging, path).Accepted()) return SongRead::kGoOn;
  } catch (const FileError& error) {
    // Left out, the song would be a stranger to the next output run, which removes it.
    result.read_errors.push_back(path);
    error_lines.push_back(ReadErrorLine(path, error));
  }
  if (table.StoreTrack(table.TrackCount(), staging) != StoreResult::kOutOfMemory) {
    return SongRead::kGoOn;
  }
  result.messages.push_back(kOutOfMemoryMessage);
  return SongRead::kStop;
}

}  // namespace

FolderSongs ReadFolderSongs(FileSystem& files, TempNameCounter& temp_names,
                            const std::string& temp_folder, const std::string& folder,
                            TrackTable& table, TTrackInfo& staging) {
  FolderSongs result;
  std::vector<std::string> error_lines;
  for (const DirEntry& entry : SongCandidates(files.ListDirectory(folder))) {
    const std::string path = folder + "/" + entry.name;
    const std::string readable =
        GetReadablePath(files, temp_names, path, true, temp_folder, kCopyPrefix, kCopyExtension);
    if (readable.empty()) continue;
    const CopyDeleter copy(files, readable, path);
    if (!table.CanAdd()) {
      result.messages.push_back(TrackLimitText());
      break;
    }
    if (ReadOneSong(files, readable, path, table, staging, result, error_lines) ==
        SongRead::kStop) {
      break;
    }
  }
  if (!error_lines.empty()) result.messages.push_back(ReadErrorsMessage(error_lines));
  return result;
}

}  // namespace tarvello
