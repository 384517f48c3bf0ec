#include "sources/playlist_file.h"

#include <cerrno>
#include <filesystem>

#include "common/text_tools.h"
#include "sources/m3u_playlist.h"
#include "sources/playlist_text.h"
#include "sources/pls_playlist.h"
#include "sources/xspf_playlist.h"

namespace tarvello {
namespace {

// Enough of a file's start to recognise every format by its content.
constexpr size_t kHeadBytes = 4096;

}  // namespace

PlaylistFormat DetectPlaylistFormat(std::string_view path, std::string_view bytes) {
  const std::string extension = std::filesystem::path(path).extension().string();
  const auto has_extension = [&](std::string_view wanted) {
    return EqualsIgnoringCase(extension, wanted);
  };
  const std::string_view text = TrimStart(WithoutByteOrderMark(bytes));
  if (text.starts_with("#EXTM3U")) {
    return has_extension(".m3u8") ? PlaylistFormat::kM3u8 : PlaylistFormat::kM3u;
  }
  if (LooksLikePls(text)) return PlaylistFormat::kPls;
  if (LooksLikeXspf(text)) return PlaylistFormat::kXspf;
  if (has_extension(".m3u8")) return PlaylistFormat::kM3u8;
  if (has_extension(".m3u")) return PlaylistFormat::kM3u;
  if (has_extension(".pls")) return PlaylistFormat::kPls;
  if (has_extension(".xspf")) return PlaylistFormat::kXspf;
  return PlaylistFormat::kNone;
}

PlaylistReading ReadPlaylistBytes(PlaylistFormat format, std::string_view bytes,
                                  const std::string& base_folder) {
  switch (format) {
    case PlaylistFormat::kM3u:
    case PlaylistFormat::kM3u8:
      return {ReadM3u(PlaylistTextToUtf8(bytes, format == PlaylistFormat::kM3u8), base_folder)};
    case PlaylistFormat::kPls:
      return {ReadPls(PlaylistTextToUtf8(bytes, false), base_folder)};
    case PlaylistFormat::kXspf:
      return ReadXspf(bytes, base_folder);
    case PlaylistFormat::kNone:
      break;
  }
  return {};
}

std::optional<PlaylistReading> ReadPlaylistFile(FileSystem& files, const std::string& path,
                                                const std::string& read_path) {
  // The start tells the format, so a large file of another kind is not read whole.
  std::string head(kHeadBytes, '\0');
  head.resize(files.OpenReadOrThrow(read_path)->Read(head.data(), head.size()));
  const PlaylistFormat format = DetectPlaylistFormat(path, head);
  if (format == PlaylistFormat::kNone) return std::nullopt;
  const std::optional<std::string> bytes = files.ReadWholeFile(read_path);
  if (!bytes) throw FileError(EIO, path);
  return ReadPlaylistBytes(format, *bytes, FolderOf(path));
}

}  // namespace tarvello
