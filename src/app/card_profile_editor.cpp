#include "app/card_profile_editor.h"

#include <algorithm>
#include <filesystem>

#include "common/extra_settings.h"
#include "sync/saved_list.h"

namespace tarvello {

std::string CardProfileEditor::ProfilesFile() const {
  return ExtraSettingsFileName(state_.IniFileName);
}

std::string CardProfileEditor::DataFolder() const {
  // The backups' base folder lies in the program's data folder: <data>/Backup/yyyymmdd.
  return std::filesystem::path(state_.BackupFolder).parent_path().parent_path().string();
}

bool CardProfileEditor::Edit(const TDriveInfo& drive, const CardProfileOffers& offers) {
  const std::optional<std::string> volume = CardIdentity(files_, drive.Root);
  if (!volume) {
    view_.ShowInformation(kNoCardIdentity);
    return false;
  }
  const std::optional<CardProfile> stored = LoadCardProfile(files_, ProfilesFile(), *volume);
  CardProfileRequest request;
  request.card_name = drive.Name;
  if (stored) {
    request.form = {stored->sources, stored->output, stored->auto_update};
  } else {
    request.form.output = offers.defaults;
  }
  request.library_file = offers.library_file;
  request.library_playlists = offers.library_playlists;
  request.player_playlists = offers.player_playlists;
  request.marked_rows = static_cast<int>(offers.marked_songs.size());

  std::optional<CardProfileForm> form = card_view_.ShowCardProfileDialog(request);
  if (!form) return false;
  CardProfile profile{*volume, std::move(form->sources), form->output, form->auto_update};
  if (!SaveCurrentList(*volume, offers.marked_songs, profile.sources)) {
    view_.ShowInformation(kListNotSaved);
    return false;
  }
  if (!SaveCardProfile(files_, ProfilesFile(), profile)) {
    view_.ShowInformation(std::string(kProfileNotSaved) + "\r\n" + ProfilesFile());
    return false;
  }
  return true;
}

bool CardProfileEditor::SaveCurrentList(const std::string& volume,
                                        const std::vector<std::string>& songs,
                                        std::vector<CardSource>& sources) {
  const auto current = std::find(sources.begin(), sources.end(), CurrentListSource());
  if (current == sources.end()) return true;
  const std::optional<CardSource> saved = SaveMarkedList(files_, DataFolder(), volume, songs);
  if (!saved) return false;
  *current = *saved;
  // The card has one saved list: an earlier entry for it would now name the new one too.
  const auto duplicate = std::find(sources.begin(), sources.end(), *saved);
  if (duplicate != current) sources.erase(duplicate);
  return true;
}

}  // namespace tarvello
