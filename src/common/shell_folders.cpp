#include <string_view>

#include "common/common_routine.h"
#include "common/text_tools.h"

namespace tarvello {
namespace {

// The value of `key` in a user-dirs.dirs text: KEY="$HOME/Folder" or KEY="/abs/path",
// with backslash escapes. Empty when absent.
std::string UserDirValue(std::string_view text, std::string_view key, const std::string& home) {
  std::string found;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.substr(0, key.size()) != key || line.substr(key.size(), 1) != "=") continue;
    line.remove_prefix(key.size() + 1);
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') continue;
    line = line.substr(1, line.size() - 2);
    std::string value;
    if (line.substr(0, 5) == "$HOME" && (line.size() == 5 || line[5] == '/')) {
      value = home == "/" ? "" : home;
      line.remove_prefix(5);
    } else if (line.empty() || line.front() != '/') {
      continue;  // only absolute paths and paths below $HOME are valid
    }
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
    found = value.empty() ? "/" : value;  // the last assignment wins, as in the shell
  }
  return found;
}

std::string DocumentsFolder(Environment& environment, FileSystem& files) {
  const std::string home = WithoutTrailingSlashes(environment.HomeDirectory());
  std::string config = environment.GetVariable("XDG_CONFIG_HOME").value_or("");
  if (config.empty() || config.front() != '/') config = home + "/.config";
  std::optional<std::string> dirs;
  try {
    dirs = files.ReadWholeFile(WithoutTrailingSlashes(config) + "/user-dirs.dirs");
  } catch (const FileError&) {
    // A file that opens but cannot be read counts as absent.
  }
  if (dirs) {
    std::string documents = UserDirValue(*dirs, "XDG_DOCUMENTS_DIR", home);
    if (!documents.empty()) return WithoutTrailingSlashes(documents);
  }
  if (home.empty()) return {};
  return (home == "/" ? "" : home) + "/Documents";
}

}  // namespace

std::string GetSpecialFolderPath(Environment& environment, FileSystem& files, int csidl) {
  if (csidl == kCsidlPersonal) return DocumentsFolder(environment, files);
  return {};
}

}  // namespace tarvello
