#pragma once

// The keys of one track's dictionary in a music library file and what each sets in the
// record being filled.

#include <optional>
#include <string_view>

#include "catalogue/track_info.h"

namespace tarvello {

inline constexpr std::string_view kTrackIdKey = "<key>Track ID</key>";

// The integer text of a "<key>Track ID</key>" line; nullopt when its tags are missing.
std::optional<std::string_view> TrackIdText(std::string_view line);

enum class TrackKeyResult {
  kKept,         // the line set a field, or nothing
  kRejected,     // a filter refused the track
  kLocationSet,  // "<key>Location</key>" set FileName
};

// Applies one trimmed line of an open track's dictionary to `staging`. Keys are tested in
// a fixed order, the first the line begins with deciding; other keys are ignored.
TrackKeyResult ApplyTrackKey(std::string_view line, TTrackInfo& staging);

}  // namespace tarvello
