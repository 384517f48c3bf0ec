// Reads arbitrary bytes as an XSPF playlist; every file entry must be an absolute path.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sources/xspf_playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tarvello::PlaylistReading reading = tarvello::ReadXspf(bytes, "/base/lists");
  for (const tarvello::PlaylistEntry& entry : reading.entries) {
    if (entry.path.empty()) std::abort();
    if (entry.kind == tarvello::EntryKind::kFile && !entry.path.starts_with('/')) std::abort();
  }
  return 0;
}
