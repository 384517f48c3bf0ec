#include "sources/player_playlists.h"

#include <algorithm>
#include <optional>

#include "sources/m3u_playlist.h"
#include "sources/player_database.h"
#include "sources/playlist_text.h"
#include "sources/rhythmbox_playlists.h"

namespace tarvello {
namespace {

DatabaseLayout LayoutOf(Player player) {
  return player == Player::kStrawberry ? DatabaseLayout::kStrawberry : DatabaseLayout::kClementine;
}

std::optional<std::string> ReadFile(FileSystem& files, const std::string& path) {
  try {
    return files.ReadWholeFile(path);
  } catch (const FileError&) {
    return std::nullopt;
  }
}

// MPD's stored playlists: the .m3u files of its playlist folder, by name.
std::vector<std::string> MpdPlaylistNames(FileSystem& files, const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& entry : files.ListDirectory(folder)) {
    if (!entry.is_directory && entry.name.size() > 4 && entry.name.ends_with(".m3u")) {
      names.push_back(entry.name.substr(0, entry.name.size() - 4));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

PlayerListing ListSource(FileSystem& files, const PlayerSource& source, bool count_entries) {
  switch (source.player) {
    case Player::kRhythmbox: {
      const std::optional<std::string> bytes = ReadFile(files, source.path);
      if (!bytes) return {{}, "cannot read the file"};
      return ListRhythmboxPlaylists(*bytes);
    }
    case Player::kStrawberry:
    case Player::kClementine:
      return PlayerDatabase(source.path, LayoutOf(source.player)).List(count_entries);
    case Player::kMpd: {
      PlayerListing listing;
      const std::vector<std::string> mpd_names = MpdPlaylistNames(files, source.path);
      for (size_t i = 0; i < mpd_names.size(); ++i) {
        int64_t entries = -1;
        if (count_entries) {
          const std::optional<std::string> text =
              ReadFile(files, source.path + "/" + mpd_names[i] + ".m3u");
          entries = text ? static_cast<int64_t>(
                               ReadM3u(PlaylistTextToUtf8(*text, true), source.music_folder).size())
                         : 0;
        }
        listing.playlists.push_back({mpd_names[i], static_cast<int64_t>(i), entries});
      }
      return listing;
    }
  }
  return {};
}

}  // namespace

PlayerCatalogue ListPlayerPlaylists(FileSystem& files, std::vector<PlayerSource> sources,
                                    bool count_entries) {
  PlayerCatalogue catalogue;
  catalogue.sources = std::move(sources);
  for (size_t index = 0; index < catalogue.sources.size(); ++index) {
    const PlayerSource& source = catalogue.sources[index];
    PlayerListing listing = ListSource(files, source, count_entries);
    if (!listing.problem.empty()) {
      catalogue.problems.push_back(std::string(PlayerName(source.player)) + ": " + source.path +
                                   ": " + listing.problem);
    }
    for (NamedPlaylist& playlist : listing.playlists) {
      catalogue.playlists.push_back(
          {index, std::move(playlist.name), playlist.key, playlist.entries});
    }
  }
  return catalogue;
}

std::string PlayerPlaylistLabel(const PlayerCatalogue& catalogue, const PlayerPlaylist& playlist) {
  return playlist.name + " (" + PlayerName(catalogue.sources.at(playlist.source).player) + ")";
}

PlaylistReading ReadPlayerPlaylist(FileSystem& files, const PlayerCatalogue& catalogue,
                                   const PlayerPlaylist& playlist) {
  const PlayerSource& source = catalogue.sources.at(playlist.source);
  switch (source.player) {
    case Player::kRhythmbox: {
      const std::optional<std::string> bytes = ReadFile(files, source.path);
      if (!bytes) return {{}, true};
      return ReadRhythmboxPlaylist(*bytes, playlist.key);
    }
    case Player::kStrawberry:
    case Player::kClementine:
      return PlayerDatabase(source.path, LayoutOf(source.player)).Read(playlist.key);
    case Player::kMpd: {
      const std::optional<std::string> text =
          ReadFile(files, source.path + "/" + playlist.name + ".m3u");
      if (!text) return {{}, true};
      return {ReadM3u(PlaylistTextToUtf8(*text, true), source.music_folder)};
    }
  }
  return {};
}

}  // namespace tarvello
