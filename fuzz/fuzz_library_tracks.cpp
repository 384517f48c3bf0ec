// Reads arbitrary bytes as a music library's tracks dictionary, wanting the tracks 1 to
// 20, and adds what it finds in that order.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/memory_byte_file.h"
#include "sources/playlist_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<std::string> kWanted = [] {
    std::vector<std::string> ids;
    for (int id = 1; id <= 20; ++id) ids.push_back(std::to_string(id));
    ids.push_back("1");
    return ids;
  }();
  tarvello::MemoryByteFile file(std::string_view(reinterpret_cast<const char*>(data), size));
  tarvello::TTrackInfo staging{};
  tarvello::PendingTracks pending;
  tarvello::SourceMessages messages;
  tarvello::GatherWantedTracks(file, kWanted, staging, pending, messages);
  tarvello::TrackTable table;
  tarvello::AddInPlaylistOrder(kWanted, pending, table, messages);
  if (table.TrackCount() > static_cast<int32_t>(kWanted.size())) std::abort();
  for (int32_t i = 0; i < table.TrackCount(); ++i) {
    // Every field stays zero-terminated inside its width.
    if (table[i].Title[sizeof(table[i].Title) - 1] != '\0') std::abort();
    if (table[i].FileName[sizeof(table[i].FileName) - 1] != '\0') std::abort();
  }
  return 0;
}
