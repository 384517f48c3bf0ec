#pragma once

// Re-encoding songs at a lower bit rate to fit a card, through the conversion helpers
// and the cache like any conversion: the user's files are only read.

#include <optional>
#include <string>
#include <vector>

#include "catalogue/track_info.h"
#include "convert/convert_cache.h"
#include "convert/convert_jobs.h"
#include "output/output_progress.h"
#include "platform/platform.h"

namespace tarvello {

struct Reencoded {
  std::optional<std::string> song;  // the smaller song, pinned in the cache; nullopt: failed
  std::string failure;              // file and reason when it failed
};

// Re-encodes `songs` at `kbps`, in order. A cancel (asked through `progress`) ends it with
// the rest failed as cancelled; `cancelled` tells.
std::vector<Reencoded> ReencodeSongs(FileSystem& files, ConvertCache& cache,
                                     const ConvertJobsMaker& make_jobs, int kbps,
                                     const std::vector<std::string>& songs,
                                     OutputProgress& progress, bool& cancelled);

// Reads the re-encoded song into `record` as the add command reads a song; false when the
// reader refuses it (the record is left as it was).
bool ReadSongRecord(FileSystem& files, const std::string& song, TTrackInfo& record);

}  // namespace tarvello
