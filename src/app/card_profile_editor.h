#pragma once

// ファイル → カードの内容…: the chosen card's profile opened in the content dialog and
// saved on OK, with the window's marked rows saved as the card's list where the user
// added them. A card without an identity cannot keep a profile; the user is told so.

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/card_sync_view.h"
#include "app/main_view.h"
#include "output/drive_list.h"

namespace tarvello {

// What the window has to offer the dialog beyond the card's own profile.
struct CardProfileOffers {
  std::string library_file;
  std::vector<std::string> library_playlists;  // UTF-8
  std::vector<PlayerPlaylistChoice> player_playlists;
  std::vector<std::string> marked_songs;  // the marked rows' files, in list order
  ProfileOutput defaults;                 // a new profile's options: the window's
};

inline constexpr const char* kProfileNotSaved = "カードの内容を保存できませんでした.";
inline constexpr const char* kListNotSaved = "現在のリストを保存できませんでした.";

class CardProfileEditor {
 public:
  CardProfileEditor(FileSystem& files, MainView& view, CardSyncView& card_view,
                    const AppState& state)
      : files_(files), view_(view), card_view_(card_view), state_(state) {}

  // Opens the dialog for `drive`; true when a profile was saved.
  bool Edit(const TDriveInfo& drive, const CardProfileOffers& offers);

 private:
  // The form's sources with the current list saved as the card's list; false when it
  // could not be written.
  bool SaveCurrentList(const std::string& volume, const std::vector<std::string>& songs,
                       std::vector<CardSource>& sources);
  std::string ProfilesFile() const;
  std::string DataFolder() const;

  FileSystem& files_;
  MainView& view_;
  CardSyncView& card_view_;
  const AppState& state_;
};

}  // namespace tarvello
