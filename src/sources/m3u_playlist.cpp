#include "sources/m3u_playlist.h"

#include "common/text_tools.h"

namespace tarvello {

PlaylistEntries ReadM3u(std::string_view text, const std::string& base_folder) {
  PlaylistEntries entries;
  while (!text.empty()) {
    const size_t end = LineEnd(text);
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    // Players indent their comments too ("\t#EXTINF:...").
    if (TrimStart(line).starts_with('#')) continue;
    PlaylistEntry entry = ResolveLocation(line, base_folder, LocationStyle::kPath);
    if (!entry.path.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tarvello
