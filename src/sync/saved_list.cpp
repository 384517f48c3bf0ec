#include "sync/saved_list.h"

#include <algorithm>

namespace tarvello {

std::optional<CardSource> SaveMarkedList(FileSystem& files, const std::string& data_folder,
                                         const std::string& volume,
                                         const std::vector<std::string>& song_paths) {
  // A volume's name never holds "/", but the file's name must stay in the folder whatever.
  std::string name = volume;
  std::replace(name.begin(), name.end(), '/', '_');
  const std::string folder = data_folder + "/card-lists";
  const std::string path = folder + "/" + name + ".m3u8";
  std::string text = "#EXTM3U\n";
  for (const std::string& song : song_paths) text += song + "\n";
  if (!files.CreateDirectories(folder) || !files.WriteWholeFile(path, text)) return std::nullopt;
  return CardSource{CardSourceKind::kSavedList, path, {}, {}};
}

}  // namespace tarvello
