#pragma once

// Playlist files (M3U, M3U8, PLS, XSPF) as dropped or added: recognised by their content
// first, then by their name's extension.

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "sources/playlist_entries.h"

namespace tarvello {

enum class PlaylistFormat { kNone, kM3u, kM3u8, kPls, kXspf };

// The format of a file named `path` that holds `bytes`.
PlaylistFormat DetectPlaylistFormat(std::string_view path, std::string_view bytes);

// The entries of `bytes` read as `format`, relative locations taken from `base_folder`.
PlaylistReading ReadPlaylistBytes(PlaylistFormat format, std::string_view bytes,
                                  const std::string& base_folder);

// Reads the file at `read_path` as a playlist named `path` (they differ when a locked
// file was copied first; relative entries follow `path`). nullopt when it is no
// playlist; a file that cannot be read raises FileError.
std::optional<PlaylistReading> ReadPlaylistFile(FileSystem& files, const std::string& path,
                                                const std::string& read_path);

}  // namespace tarvello
