// Reads arbitrary bytes as an M3U, M3U8 or PLS playlist (the first byte chooses) and
// checks that every file entry is an absolute path with nothing left to fold.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sources/playlist_file.h"

namespace {

void CheckEntries(const tarvello::PlaylistEntries& entries) {
  for (const tarvello::PlaylistEntry& entry : entries) {
    if (entry.path.empty()) std::abort();
    if (entry.kind != tarvello::EntryKind::kFile) continue;
    if (!entry.path.starts_with('/') || entry.path.find("//") != std::string_view::npos ||
        entry.path.find("/./") != std::string_view::npos ||
        entry.path.find("/../") != std::string_view::npos || entry.path.ends_with("/..")) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  constexpr tarvello::PlaylistFormat kFormats[] = {
      tarvello::PlaylistFormat::kM3u, tarvello::PlaylistFormat::kM3u8,
      tarvello::PlaylistFormat::kPls};
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckEntries(tarvello::ReadPlaylistBytes(kFormats[data[0] % 3], bytes, "/base/lists").entries);
  // The detection sees any bytes too.
  tarvello::DetectPlaylistFormat("x.m3u", bytes);
  return 0;
}
