#pragma once

// Reads a file's sample (its first and last bytes) back from its medium.

#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_file_calls.h"

namespace tarvello {

// Reads the sample's two ranges with O_DIRECT where the file system takes it, so the card
// delivers those bytes and hardly more; elsewhere (tmpfs, FUSE) plainly, with the file's
// cached pages dropped and read-ahead off, so no read pulls in a window around them.
// nullopt when the file cannot be opened or a read fails.
std::optional<FileSample> SampleFileFromMedium(FileCalls& calls, const std::string& path);

}  // namespace tarvello
