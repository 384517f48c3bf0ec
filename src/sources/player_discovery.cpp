#include "sources/player_discovery.h"

#include <optional>
#include <string_view>

#include "common/text_tools.h"

namespace tarvello {
namespace {

// An XDG variable's folder: only an absolute path counts, else the default below home.
std::string XdgFolder(Environment& environment, const char* variable, const std::string& home,
                      const char* fallback) {
  const std::string value = environment.GetVariable(variable).value_or("");
  if (!value.empty() && value.front() == '/') return WithoutTrailingSlashes(value);
  return home + fallback;
}

// A setting of mpd.conf: `name "value"` or `name value` on a line of its own; "~" at the
// start of the value is the home folder. The last setting of the name wins.
std::optional<std::string> MpdSetting(std::string_view text, std::string_view name,
                                      const std::string& home) {
  std::optional<std::string> found;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.starts_with(name) || line.size() == name.size()) continue;
    if (line[name.size()] != ' ' && line[name.size()] != '\t') continue;
    std::string_view value = Trim(line.substr(name.size()));
    if (value.size() >= 2 && value.front() == '"') {
      const size_t close = value.find('"', 1);
      if (close == std::string_view::npos) continue;
      value = value.substr(1, close - 1);
    }
    std::string path(value);
    if (path == "~" || path.starts_with("~/")) path = home + path.substr(1);
    if (!path.empty()) found = WithoutTrailingSlashes(path);
  }
  return found;
}

void AddMpd(FileSystem& files, const PlayerFolders& folders, std::vector<PlayerSource>& found) {
  std::optional<std::string> conf;
  for (const std::string& path : {folders.config_home + "/mpd/mpd.conf", folders.home + "/.mpdconf"}) {
    try {
      conf = files.ReadWholeFile(path);
    } catch (const FileError&) {
      conf.reset();
    }
    if (conf) break;
  }
  std::optional<std::string> playlists;
  std::optional<std::string> music;
  if (conf) {
    playlists = MpdSetting(*conf, "playlist_directory", folders.home);
    music = MpdSetting(*conf, "music_directory", folders.home);
  }
  if (!playlists) playlists = folders.home + "/.mpd/playlists";
  if (!files.DirectoryExists(*playlists)) return;
  found.push_back({Player::kMpd, *playlists, music.value_or(folders.home + "/Music")});
}

}  // namespace

const char* PlayerName(Player player) {
  switch (player) {
    case Player::kRhythmbox:
      return "Rhythmbox";
    case Player::kStrawberry:
      return "Strawberry";
    case Player::kClementine:
      return "Clementine";
    case Player::kMpd:
      return "MPD";
  }
  return "";
}

PlayerFolders PlayerFoldersOf(Environment& environment) {
  const std::string home = WithoutTrailingSlashes(environment.HomeDirectory());
  const std::string base = home == "/" ? "" : home;
  return {home, XdgFolder(environment, "XDG_DATA_HOME", base, "/.local/share"),
          XdgFolder(environment, "XDG_CONFIG_HOME", base, "/.config")};
}

std::vector<PlayerSource> FindPlayerSources(FileSystem& files, const PlayerFolders& folders) {
  std::vector<PlayerSource> found;
  const auto add_file = [&](Player player, const std::string& path) {
    if (!files.FileExists(path)) return false;
    found.push_back({player, path, {}});
    return true;
  };
  add_file(Player::kRhythmbox, folders.data_home + "/rhythmbox/playlists.xml");
  add_file(Player::kStrawberry, folders.data_home + "/strawberry/strawberry/strawberry.db");
  if (!add_file(Player::kClementine, folders.config_home + "/Clementine/clementine.db")) {
    add_file(Player::kClementine, folders.home + "/.config/Clementine/clementine.db");
  }
  AddMpd(files, folders, found);
  return found;
}

}  // namespace tarvello
