#include "app/player_playlist_box.h"

#include "sources/playlist_adding.h"

namespace tarvello {

void PlayerPlaylistBox::Reload() {
  catalogue_ = ListPlayerPlaylists(
      platform_.files,
      FindPlayerSources(platform_.files, PlayerFoldersOf(platform_.environment)), false);
}

std::vector<std::string> PlayerPlaylistBox::Labels() const {
  std::vector<std::string> labels;
  labels.reserve(catalogue_.playlists.size());
  for (const PlayerPlaylist& playlist : catalogue_.playlists) {
    labels.push_back(PlayerPlaylistLabel(catalogue_, playlist));
  }
  return labels;
}

std::vector<PlayerPlaylistChoice> PlayerPlaylistBox::Choices() const {
  std::vector<PlayerPlaylistChoice> choices;
  choices.reserve(catalogue_.playlists.size());
  for (const PlayerPlaylist& playlist : catalogue_.playlists) {
    choices.push_back({PlayerName(catalogue_.sources[playlist.source].player), playlist.name});
  }
  return choices;
}

std::string PlayerPlaylistBox::ImportQuestion(size_t index) const {
  return "プレイリスト '" + PlayerPlaylistLabel(catalogue_, catalogue_.playlists.at(index)) +
         "' を読み込みます.\r\n現在の曲一覧はプレイリストの内容に置き換えられます.\r\n\r\n"
         "プレイリストを読み込んで曲一覧を置き換えますか？\r\n(はい: 置換、いいえ: 追加)";
}

void PlayerPlaylistBox::Import(size_t index, const AddContext& context,
                               const std::function<void(const std::string&)>& show) {
  const PlayerPlaylist& playlist = catalogue_.playlists.at(index);
  const PlaylistReading reading = ReadPlayerPlaylist(platform_.files, catalogue_, playlist);
  if (reading.damaged) {
    show("プレイリストを最後まで読み込めませんでした.\r\n" +
         catalogue_.sources.at(playlist.source).path);
  }
  PlaylistAdding adding(context);
  adding.on_summary = [&show](const PlaylistSummary& summary) {
    show(PlaylistSummaryText(summary));
  };
  adding.AddEntries(reading.entries);
}

}  // namespace tarvello
