#pragma once

// Reads a file's sample (its first and last bytes) back from its medium.

#include <optional>
#include <string>

#include "platform/platform.h"

namespace tarvello {

// Drops the file's cached pages and turns read-ahead off, so exactly the sample's bytes
// come from the card. nullopt when the file cannot be opened or a read fails.
std::optional<FileSample> SampleFileFromMedium(const std::string& path);

}  // namespace tarvello
