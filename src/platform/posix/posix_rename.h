#pragma once

// Renames that are checked afterwards: a file system may answer yes and leave the old
// name, or not move the file at all.

#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_file_calls.h"

namespace tarvello {

// Renames `from` to `to`, replacing a file named `to` when `replace` is true and never
// otherwise. Done only when `to` then names the file that `from` named and `from` is gone.
FileChange RenameKept(FileCalls& calls, const std::string& from, const std::string& to,
                      bool replace);

}  // namespace tarvello
