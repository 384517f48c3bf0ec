#pragma once

// What an output of a list puts on the card, by name: the numbered song names and the
// management files' entry texts. The output run writes by them; checking an existing
// card compares against them.

#include <string>
#include <vector>

#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "output/output_options.h"

namespace tarvello {

// Prefix + "_" + four digits, and "." + Ext when there is an extension, in `folder`
// (ending with "/"). A "/" in the prefix or extension becomes "_".
std::string NumberedSongPath(const std::string& folder, const TOutputOptions& options, int number);

// The entry text of every output target in list order (CP932).
std::vector<std::string> ManagementTitlesOf(const TrackList& rows, const TOutputOptions& options);

}  // namespace tarvello
