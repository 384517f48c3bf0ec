#include "sources/pls_playlist.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <map>

namespace tarvello {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

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
      uint64_t number = 0;
      const auto [end, error] =
          std::from_chars(digits.data(), digits.data() + digits.size(), number);
      if (equals != std::string_view::npos && error == std::errc() && !digits.empty() &&
          end == digits.data() + digits.size()) {
        files[number] = line.substr(equals + 1);
      }
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
