#pragma once

// Reads a file back from its medium rather than from the system's page cache.

#include <optional>
#include <string>

#include "platform/content_hash.h"

namespace tarvello {

// Drops the file's cached pages (they are clean after a flush), then reads it with
// O_DIRECT where the file system takes it, plainly where it does not. nullopt when the
// file cannot be opened or a read fails.
std::optional<ContentHash> HashFileFromMedium(const std::string& path);

}  // namespace tarvello
