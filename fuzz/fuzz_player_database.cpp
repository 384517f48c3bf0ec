// Opens arbitrary bytes as a Strawberry or Clementine database (the first byte chooses
// the layout), lists its playlists and reads the first few.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/player_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto layout = data[0] % 2 == 0 ? tarvello::DatabaseLayout::kStrawberry
                                       : tarvello::DatabaseLayout::kClementine;
  tarvello::PlayerDatabase db(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1),
                              layout);
  const tarvello::PlayerListing listing = db.List(true);
  const size_t read = std::min<size_t>(listing.playlists.size(), 8);
  for (size_t i = 0; i < read; ++i) db.Read(listing.playlists[i].key);
  return 0;
}
