#pragma once

// Makes one source into a card-ready song: as it is, from the cache, by a remux or by an
// encode.

#include <atomic>
#include <string>

#include "convert/convert_cache.h"
#include "convert/convert_settings.h"
#include "convert/convert_status.h"
#include "convert/helper_worker.h"
#include "convert/source_probe.h"
#include "platform/platform.h"

namespace tarvello {

enum class ConvertAction { kAccepted, kRemuxed, kEncoded, kRefused, kFailed, kCancelled };

struct ConvertResult {
  ConvertAction action = ConvertAction::kFailed;
  std::string song_path;  // the file to put on the card; empty unless it was made or accepted
  std::string reason;     // why not, for kRefused and kFailed
  std::string codec;      // the source's audio coding, when it was looked at
  bool from_cache = false;
  double seconds = 0;                               // time spent
  ConvertProblem problem = ConvertProblem::kOther;  // for kRefused and kFailed

  bool Ready() const {
    return action == ConvertAction::kAccepted || action == ConvertAction::kRemuxed ||
           action == ConvertAction::kEncoded;
  }
};

// "accepted", "remuxed", "encoded", "refused", "failed" or "cancelled".
const char* ConvertActionName(ConvertAction action);

// Converts `source` unless the M4A walk accepts it with AAC audio (then it is the song).
// A song already in the cache costs one hash of the source. A new song is written by
// `helper` under a temporary name and appears under its key only when complete and when
// the source did not change meanwhile; on every other way out (the helper's crash or
// stall included) nothing is left behind. A song made or found in the cache is pinned
// there for the caller, who unpins it when done with it. A file the system fails to read
// fails with kCannotRead: it is neither converted nor accepted.
ConvertResult ConvertSong(FileSystem& files, ConvertCache& cache, HelperWorker& helper,
                          const std::string& source, const ConvertSettings& settings,
                          const std::atomic<bool>& cancel);

// Looks at `path` as the M4A walk does, then through the helper as FFmpeg does. Setting
// `stop` ends the wait for the helper (and the helper) early.
SourceProbe ProbeSource(FileSystem& files, HelperWorker& helper, const std::string& path,
                        const std::atomic<bool>& stop);

}  // namespace tarvello
