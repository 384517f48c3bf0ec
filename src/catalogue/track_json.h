#pragma once

// Song records as JSON text for scripts: UTF-8, one object per line.

#include <string>
#include <string_view>

#include "catalogue/track_info.h"

namespace tarvello {

// {"path":...,"accepted":false} for a refused file; with a record, "accepted":true and
// every field of the record by its name, texts converted from CP932 to UTF-8.
std::string TrackJsonLine(std::string_view path, const TTrackInfo* track);

// The line of an accepted file appended to `out` (no line break), for writing many.
void AppendTrackJson(std::string& out, std::string_view path, const TTrackInfo& track);

// {"path":...,"accepted":false,"reason":...} appended to `out`; no "reason" when empty.
void AppendRefusedJson(std::string& out, std::string_view path, std::string_view reason);

}  // namespace tarvello
