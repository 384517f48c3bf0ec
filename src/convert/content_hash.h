#pragma once

// The hash that names a source's converted song: XXH3 (128 bits) of its bytes, so a
// renamed or moved file is found again.

#include <optional>
#include <string>

#include "platform/platform.h"

namespace tarvello {

// 32 lowercase hex digits; nullopt when the file cannot be read to its end.
std::optional<std::string> SourceContentKey(FileSystem& files, const std::string& path);

}  // namespace tarvello
