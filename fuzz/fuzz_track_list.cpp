// Reads arbitrary bytes as an XML property list or RMP track list.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/memory_byte_file.h"
#include "platform/posix/posix_file_system.h"
#include "sources/track_list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static tarvello::PosixFileSystem files;
  tarvello::MemoryByteFile file(std::string_view(reinterpret_cast<const char*>(data), size));
  tarvello::TrackTable table;
  tarvello::TTrackInfo staging{};
  std::vector<std::string> track_id_list;
  const tarvello::TrackListResult result =
      tarvello::ReadTrackList(file, files, table, staging, track_id_list);
  // Songs are only ever added by an accepted list.
  if (table.TrackCount() > 0 && !result.accepted) std::abort();
  return 0;
}
