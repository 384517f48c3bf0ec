#pragma once

// ファイル → カードの内容…: what the chosen card holds. An ordered list of sources (library
// and player playlists, playlist files, folders, the current list) with buttons to add,
// move and remove them, the output options the card is written with and its automatic
// update. OK hands the values back; Cancel and Escape leave the card's profile as it was.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "app/card_profile_form.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace tarvello {

// How the dialog asks for a playlist file and a folder; nullopt when the user cancelled.
struct CardProfileChoosers {
  std::function<std::optional<std::string>()> playlist_file;
  std::function<std::optional<std::string>()> folder;
};

class TCardProfileForm : public QDialog {
  Q_OBJECT

 public:
  TCardProfileForm(const CardProfileRequest& request, CardProfileChoosers choosers,
                   QWidget* parent = nullptr);

  CardProfileForm Values() const;

 private:
  void CreateSourceControls();
  void CreateOptionControls();
  // Lists the sources afresh with row `current` (kept within the list) selected.
  void FillSources(int current);
  void AddSource(const CardSource& source);
  void AddLibraryPlaylist();
  void AddPlayerPlaylist();
  void AddPlaylistFile();
  void AddFolder();
  void AddCurrentList();
  // Moves the selected source `step` places up (-1) or down (+1).
  void MoveSelected(int step);
  void RemoveSelected();
  void FollowSelection();
  QString SourceLabel(const CardSource& source) const;
  // Asks for one of `items` in a small list box; nullopt when none was chosen.
  std::optional<int> PickItem(const QString& title, const QStringList& items);

  CardProfileRequest request_;
  CardProfileChoosers choosers_;
  std::vector<CardSource> sources_;

  QListWidget* lvSources_ = nullptr;
  QPushButton* btAdd_ = nullptr;
  QPushButton* btUp_ = nullptr;
  QPushButton* btDown_ = nullptr;
  QPushButton* btRemove_ = nullptr;
  QComboBox* cbTitleFormat_ = nullptr;
  QComboBox* cbSeparator_ = nullptr;
  QCheckBox* chBackup_ = nullptr;
  QComboBox* cbBitRate_ = nullptr;
  QCheckBox* chAutoUpdate_ = nullptr;
};

}  // namespace tarvello
