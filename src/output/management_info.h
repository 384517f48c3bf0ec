#pragma once

// What management files hold, as JSON lines for scripts and for checking a card.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "output/management_files.h"
#include "platform/platform.h"

namespace tarvello {

// {"path":...,"valid":false} for a file that is no management file; otherwise
// "valid":true, the header fields and every entry (number, used, length, title in UTF-8).
std::string ManagementJsonLine(std::string_view path, const ManagementFile* file);

// Reads each file on its own and writes one JSON line per file to `out`, in the order
// given; a file that cannot be read or is no management file gets a message on `err`.
// Returns 0 when every file was one, 1 otherwise.
int WriteManagementInfo(FileSystem& files, const std::vector<std::string>& paths, std::ostream& out,
                        std::ostream& err);

}  // namespace tarvello
