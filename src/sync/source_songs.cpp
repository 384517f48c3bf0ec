#include "sync/source_songs.h"

#include "sources/folder_walk.h"
#include "sources/library_playlists.h"
#include "sources/player_playlists.h"
#include "sources/playlist_file.h"
#include "sources/playlist_import.h"

namespace tarvello {
namespace {

constexpr const char* kFolderGone =
    "フォルダが見つかりません. ディスクが接続されていない可能性があります.";
constexpr const char* kFileGone = "ファイルが見つかりません.";
constexpr const char* kNotAPlaylist = "プレイリストとして読み込めないファイルです.";
constexpr const char* kPlayerGone = "プレーヤーのプレイリストが見つかりません.";
constexpr const char* kPlaylistGone = "プレイリストが見つかりません.";
constexpr const char* kBrokenPlaylist = "プレイリストを最後まで読み込めません.";

void TakeEntries(const PlaylistReading& reading, SourceFiles& found) {
  for (const PlaylistEntry& entry : reading.entries) {
    if (entry.kind == EntryKind::kFile && !entry.path.empty()) {
      found.files.push_back(entry.path);
    } else if (!entry.path.empty()) {
      found.notes.push_back(entry.path + ": この計算機にないファイルです.");
    }
  }
}

SourceFiles FromFolder(const CardSource& source, SyncContext& context) {
  SourceFiles found;
  // An unmounted music disk leaves its mount point empty: a missing folder is no source.
  if (!context.platform.files.DirectoryExists(source.path)) {
    found.refusal = UnreadableSource(source, kFolderGone);
    return found;
  }
  FolderWalkResult walk = WalkMusicFolder(source.path, *MakeNaturalCollator());
  if (!walk.unreadable.empty() && walk.unreadable.front() == source.path) {
    found.refusal = UnreadableSource(source, "フォルダを読み込めません.");
    return found;
  }
  found.files = std::move(walk.songs);
  for (const std::string& folder : walk.unreadable) {
    found.notes.push_back(folder + ": フォルダを読み込めません.");
  }
  return found;
}

SourceFiles FromPlaylistFile(const CardSource& source, SyncContext& context) {
  SourceFiles found;
  FileSystem& files = context.platform.files;
  if (!files.FileExists(source.path)) {
    found.refusal = UnreadableSource(source, kFileGone);
    return found;
  }
  try {
    const std::optional<PlaylistReading> reading =
        ReadPlaylistFile(files, source.path, source.path);
    if (!reading) {
      found.refusal = UnreadableSource(source, kNotAPlaylist);
    } else if (reading->damaged) {
      found.refusal = UnreadableSource(source, kBrokenPlaylist);
    } else {
      TakeEntries(*reading, found);
    }
  } catch (const FileError& error) {
    found.refusal = UnreadableSource(source, error.what());
  }
  return found;
}

SourceFiles FromPlayer(const CardSource& source, SyncContext& context) {
  SourceFiles found;
  FileSystem& files = context.platform.files;
  std::vector<PlayerSource> players;
  for (const PlayerSource& player : FindPlayerSources(files, context.players)) {
    if (source.player == PlayerName(player.player)) players.push_back(player);
  }
  if (players.empty()) {
    found.refusal = UnreadableSource(source, kPlayerGone);
    return found;
  }
  const PlayerCatalogue catalogue = ListPlayerPlaylists(files, players, false);
  for (const PlayerPlaylist& playlist : catalogue.playlists) {
    if (playlist.name != source.name) continue;
    const PlaylistReading reading = ReadPlayerPlaylist(files, catalogue, playlist);
    // A database that broke or went while it was read gives only part of the playlist.
    if (reading.damaged) {
      found.refusal = UnreadableSource(source, kBrokenPlaylist);
    } else {
      TakeEntries(reading, found);
    }
    return found;
  }
  // A locked or damaged database lists nothing and says why.
  const std::string why = catalogue.problems.empty() ? kPlaylistGone : catalogue.problems.front();
  found.refusal = UnreadableSource(source, why);
  return found;
}

SourceFiles FromLibrary(const CardSource& source, SyncContext& context,
                        TempNameCounter& temp_names) {
  SourceFiles found;
  FileSystem& files = context.platform.files;
  if (!files.FileExists(source.path)) {
    found.refusal = UnreadableSource(source, kFileGone);
    return found;
  }
  const LibraryPlaylists library =
      ReadLibraryPlaylists(files, temp_names, source.path, context.temp_folder);
  const auto forget_copy = [&] {
    if (!library.read_path.empty() && library.read_path != source.path) {
      files.DeleteFile(library.read_path);
    }
  };
  if (library.read_path.empty() || !library.read_error.empty()) {
    forget_copy();
    found.refusal = UnreadableSource(
        source, library.read_error.empty() ? "ファイルを読み込めません." : library.read_error);
    return found;
  }
  const std::vector<std::string>& names = library.playlists.utf8_names;
  size_t index = 0;
  while (index < names.size() && names[index] != source.name) ++index;
  if (index == names.size()) {
    forget_copy();
    found.refusal = UnreadableSource(source, kPlaylistGone);
    return found;
  }
  // The library's own records of the playlist name the files; they are read again later,
  // as any file is.
  TrackTable records;
  TTrackInfo staging{};
  std::vector<std::string> track_id_list;
  try {
    const SourceMessages messages =
        ImportPlaylistTracks(files, library.read_path, library.playlists.track_ids[index], records,
                             staging, track_id_list);
    found.notes.insert(found.notes.end(), messages.begin(), messages.end());
  } catch (const FileError& error) {
    found.refusal = UnreadableSource(source, error.what());
  }
  forget_copy();
  for (int32_t i = 0; i < records.TrackCount(); ++i) {
    found.files.emplace_back(FieldText(records[i].FileName));
  }
  return found;
}

}  // namespace

SyncRefusal UnreadableSource(const CardSource& source, const std::string& reason) {
  return {SyncRefusalKind::kSourceUnreadable,
          "曲の入手元を読み込めません: " + CardSourceLabel(source) + "\r\n" + reason +
              "\r\nカードは変更していません."};
}

SourceFiles ReadSourceFiles(const CardSource& source, SyncContext& context,
                            TempNameCounter& temp_names) {
  switch (source.kind) {
    case CardSourceKind::kFolder:
      return FromFolder(source, context);
    case CardSourceKind::kPlaylistFile:
    case CardSourceKind::kSavedList:
      return FromPlaylistFile(source, context);
    case CardSourceKind::kPlayerPlaylist:
      return FromPlayer(source, context);
    case CardSourceKind::kLibraryPlaylist:
      return FromLibrary(source, context, temp_names);
  }
  return {};
}

}  // namespace tarvello
