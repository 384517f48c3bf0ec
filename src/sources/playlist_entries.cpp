#include "sources/playlist_entries.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/text_tools.h"
#include "common/xml_text.h"
#include "platform/platform.h"

namespace tarvello {
namespace {

// "C:\x", "C:/x", "C:" alone and "\\server\share".
bool IsWindowsPath(std::string_view text) {
  if (text.starts_with("\\\\")) return true;
  return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) != 0 &&
         text[1] == ':' && (text.size() == 2 || text[2] == '\\' || text[2] == '/');
}

// The scheme of a URL ("http" of "http://x"); empty when the text has none. A single
// letter is a drive, not a scheme.
std::string_view SchemeOf(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return {};
  if (std::isalpha(static_cast<unsigned char>(text[0])) == 0) return {};
  for (size_t i = 1; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (std::isalnum(c) == 0 && c != '+' && c != '-' && c != '.') return {};
  }
  return text.substr(0, colon);
}

// A file: URL as a native path; "file:/x" (one slash) is taken like "file:///x".
PlaylistEntry FileUrlEntry(std::string_view url) {
  std::string text(url);
  text.replace(0, 5, "file:");  // the scheme in the case FileUrlToPath expects
  if (text.size() > 5 && text[5] == '/' && (text.size() == 6 || text[6] != '/')) {
    text.insert(5, "//");
  }
  std::string path = FileUrlToPath(text);
  if (path.starts_with("file:")) return {EntryKind::kNetwork, std::string(url)};  // a host
  if (path.empty()) return {EntryKind::kFile, {}};
  // FileUrlToPath leaves the "/" off a drive form ("file:///G:..."), whatever follows it.
  if (IsWindowsPath(path) || !path.starts_with('/')) {
    return {EntryKind::kWindowsPath, std::string(url)};
  }
  return {EntryKind::kFile, LexicallyNormalPath(path)};
}

}  // namespace

PlaylistEntry ResolveLocation(std::string_view location, const std::string& base_folder,
                              LocationStyle style) {
  const std::string_view text = Trim(location);
  if (text.empty()) return {EntryKind::kFile, {}};
  if (IsWindowsPath(text)) return {EntryKind::kWindowsPath, std::string(text)};
  const std::string_view scheme = SchemeOf(text);
  if (EqualsIgnoringCase(scheme, "file")) return FileUrlEntry(text);
  if (!scheme.empty()) return {EntryKind::kNetwork, std::string(text)};
  std::string path = style == LocationStyle::kUri ? DecodePercentEscapes(text) : std::string(text);
  if (!path.starts_with('/')) path = (base_folder == "/" ? "" : base_folder) + "/" + path;
  return {EntryKind::kFile, LexicallyNormalPath(path)};
}

size_t LineEnd(std::string_view text) {
  const auto end = std::find_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; });
  return end == text.end() ? std::string_view::npos : static_cast<size_t>(end - text.begin());
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

}  // namespace tarvello
