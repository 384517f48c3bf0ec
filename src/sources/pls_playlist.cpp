#include "sources/pls_playlist.h"

#include <cstdint>
#include <map>

#include "common/text_tools.h"

namespace tarvello {
namespace {

// Calls `line` with each trimmed line of the text.
template <typename LineFunction>
void ForEachLine(std::string_view text, LineFunction&& line) {
  while (!text.empty()) {
    const size_t end = LineEnd(text);
    if (!line(Trim(text.substr(0, end)))) return;
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

bool IsPlaylistSection(std::string_view line) {
  return line.size() == 10 && StartsWithIgnoringCase(line, "[playlist]");
}

}  // namespace

bool LooksLikePls(std::string_view text) {
  bool found = false;
  ForEachLine(text, [&](std::string_view line) {
    if (line.empty()) return true;
    found = IsPlaylistSection(line);
    return false;
  });
  return found;
}

PlaylistEntries ReadPls(std::string_view text, const std::string& base_folder) {
  std::map<uint64_t, std::string_view> files;
  bool in_section = false;
  ForEachLine(text, [&](std::string_view line) {
    if (line.starts_with('[')) {
      in_section = IsPlaylistSection(line);
    } else if (in_section && StartsWithIgnoringCase(line, "file")) {
      const size_t equals = line.find('=');
      const std::string_view digits = Trim(line.substr(4, equals == std::string_view::npos
                                                               ? std::string_view::npos
                                                               : equals - 4));
      const std::optional<uint64_t> number = ParseInteger<uint64_t>(digits);
      if (equals != std::string_view::npos && number) files[*number] = line.substr(equals + 1);
    }
    return true;
  });
  PlaylistEntries entries;
  for (const auto& [number, location] : files) {
    PlaylistEntry entry = ResolveLocation(location, base_folder, LocationStyle::kPath);
    if (!entry.path.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tarvello
