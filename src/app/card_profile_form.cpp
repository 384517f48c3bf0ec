#include "app/card_profile_form.h"

namespace tarvello {

std::string ProfileSourceLabel(const ProfileSourceRow& row) {
  switch (row.kind) {
    case ProfileSourceKind::kLibraryPlaylist:
      return "ライブラリのプレイリスト: " + row.name;
    case ProfileSourceKind::kPlayerPlaylist:
      return row.path + " のプレイリスト: " + row.name;
    case ProfileSourceKind::kPlaylistFile:
      return "プレイリストファイル: " + row.path;
    case ProfileSourceKind::kFolder:
      return "フォルダ: " + row.path;
    case ProfileSourceKind::kCurrentList:
      return "現在のリストの出力対象曲";
  }
  return row.path;
}

}  // namespace tarvello
