#pragma once

// The songs of an output or a verify: the given paths in order, each folder replaced by
// its music files in natural order, added as the window adds them. Files that the window
// would convert are converted first, unless conversion is off.

#include <ostream>
#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "cli/list_adding.h"
#include "platform/platform.h"

namespace tarvello::cli {

struct GatherOptions {
  bool convert = true;
  ConvertOptions conversion;
};

// Adds the songs into `adding`'s table; every message goes to `err` at once. Returns how
// many files were not added.
int GatherSongs(const std::vector<std::string>& given, const GatherOptions& options,
                FileSystem& files, Environment& environment, ListAdding& adding, std::ostream& err);

}  // namespace tarvello::cli
