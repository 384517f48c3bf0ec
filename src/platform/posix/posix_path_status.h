#pragma once

// What stat(2) tells of a path, following symbolic links.

#include <sys/types.h>

#include <optional>
#include <string>

namespace tarvello {

// The device that holds `path`; nullopt when it cannot be looked at.
std::optional<dev_t> DeviceOf(const std::string& path);

bool IsDirectory(const std::string& path);

}  // namespace tarvello
