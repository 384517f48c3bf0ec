#pragma once

// Output shared by the song-source subcommands.

#include <ostream>
#include <string>
#include <vector>

#include "catalogue/track_table.h"

namespace tarvello::cli {

inline constexpr int kExitReadFailed = 1;

// Every record of the table as one JSON line in the field names of `info`.
void WriteRecords(const TrackTable& table, std::ostream& out);

// The readers' messages, one line each on the terminal.
void WriteMessages(const std::vector<std::string>& messages, std::ostream& err);

}  // namespace tarvello::cli
