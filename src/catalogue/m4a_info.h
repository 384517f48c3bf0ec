#pragma once

// What the M4A reader stores for a list of files, as JSON lines for scripts.

#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarvello {

// Reads each file on its own and writes one JSON line per file to `out`, in the order
// given; a file that cannot be read or is refused gets "accepted":false and a message on
// `err`. The line says why in "reason": the refusal, or the system's message for a file
// that cannot be read. Returns 0 when every file was accepted, 1 otherwise.
int WriteM4aInfo(FileSystem& files, const std::vector<std::string>& paths, std::ostream& out,
                 std::ostream& err);

}  // namespace tarvello
