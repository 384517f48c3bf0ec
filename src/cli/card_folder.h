#pragma once

// The folder rule for the commands that read the card's folder back or put a backup into
// it: the same check the output run makes before it changes anything.

#include <optional>
#include <string>

namespace tarvello::cli {

// Why the folder that `out_dir` (CP932, backslash form) names on the card at `root` may
// not be used: the volume's status when it holds no medium, the folder rule's message
// otherwise; nullopt when it may.
std::optional<std::string> CardFolderRefusal(const std::string& root, const std::string& out_dir);

}  // namespace tarvello::cli
