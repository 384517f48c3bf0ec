#pragma once

// The status texts of song sources that are offered but have nothing to read, so that a
// click that cannot do anything still says why.

namespace tarvello {

inline constexpr const char* kNoPlaylistChosen = "iTunesプレイリストが選ばれていません.";
inline constexpr const char* kNoDriveForImport = "出力先のドライブが選ばれていません.";
inline constexpr const char* kNoOutputFolderToImport = "出力先フォルダがありません.";

}  // namespace tarvello
