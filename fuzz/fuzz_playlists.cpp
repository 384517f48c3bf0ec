// Reads arbitrary bytes as a music library's playlists; every name keeps its track-ID
// entry beside it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/memory_byte_file.h"
#include "sources/library_playlists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tarvello::MemoryByteFile file(std::string_view(reinterpret_cast<const char*>(data), size));
  const tarvello::PlaylistCatalogue found = tarvello::ScanPlaylists(file);
  if (found.names.size() != found.track_ids.size() ||
      found.names.size() != found.utf8_names.size()) {
    std::fprintf(stderr, "playlist lists out of step\n");
    std::abort();
  }
  for (const auto& ids : found.track_ids) {
    if (!ids.empty() && ids.back() != ',') std::abort();
  }
  return 0;
}
