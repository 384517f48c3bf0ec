#include "sources/library_playlists.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "common/xml_lines.h"
#include "sources/library_text.h"

namespace tarvello {
namespace {

constexpr std::string_view kPlaylistsKey = "<key>Playlists</key>";
constexpr std::string_view kNameKey = "<key>Name</key>";
constexpr std::string_view kTrackIdKey = "<key>Track ID</key>";

// Depth 1: the dictionary of one playlist; depth 2: the dictionaries of its items.
constexpr int64_t kPlaylistDepth = 1;
constexpr int64_t kItemDepth = 2;

// `rest`: the line after its key.
void ReadName(std::string_view rest, PlaylistCatalogue& catalogue) {
  const std::optional<std::string_view> name = TagValue(rest, "<string>", "</string>");
  if (!name) return;
  catalogue.names.push_back(LibraryUtf8ToCp932(*name));
  catalogue.utf8_names.emplace_back(catalogue.names.back().empty() ? std::string_view() : *name);
  catalogue.track_ids.emplace_back();
}

void ReadTrackId(std::string_view rest, PlaylistCatalogue& catalogue) {
  const std::optional<std::string_view> id = TagValue(rest, "<integer>", "</integer>");
  if (!id || catalogue.track_ids.empty()) return;
  std::string& entry = catalogue.track_ids.back();
  entry.append(*id);
  entry += ',';
}

}  // namespace

PlaylistCatalogue ScanPlaylists(ByteFile& file) {
  PlaylistCatalogue catalogue;
  if (!HasXmlDeclaration(file)) return catalogue;
  file.Seek(0);
  LineReader reader(file);
  std::string_view line;
  // The tracks dictionary before the playlists is most of the file: only its one key counts.
  if (!reader.SkipTo(kPlaylistsKey, line)) return catalogue;
  int64_t depth = 0;
  while (reader.Next(line)) {
    const std::string_view text = TrimLine(line);
    // The lines that count are tags their second byte tells apart.
    if (text.size() < 2 || text[0] != '<') continue;
    switch (text[1]) {
      case 'a':
        if (text.starts_with("<array>")) ++depth;
        break;
      case '/':
        if (text.starts_with("</array>") && --depth == 0) return catalogue;
        break;
      case 'k':
        if (depth == kPlaylistDepth && text.starts_with(kNameKey)) {
          ReadName(text.substr(kNameKey.size()), catalogue);
        } else if (depth == kItemDepth && text.starts_with(kTrackIdKey)) {
          ReadTrackId(text.substr(kTrackIdKey.size()), catalogue);
        }
        break;
      default:
        break;
    }
  }
  return catalogue;
}

LibraryPlaylists ReadLibraryPlaylists(FileSystem& files, TempNameCounter& temp_names,
                                      const std::string& library_file,
                                      const std::string& temp_folder) {
  LibraryPlaylists result;
  result.read_path = GetReadablePath(files, temp_names, library_file, true, temp_folder,
                                     kCopyPrefix, kCopyExtension);
  if (result.read_path.empty()) return result;
  const std::unique_ptr<ByteFile> file = files.OpenRead(result.read_path);
  if (!file) return result;
  try {
    result.playlists = ScanPlaylists(*file);
  } catch (const FileError& error) {
    // Names read before the failure would be a partial list: none is shown.
    result.playlists = PlaylistCatalogue();
    result.read_error = error.what();
  }
  return result;
}

}  // namespace tarvello
