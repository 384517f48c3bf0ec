#pragma once

// The backup dialog: the backup folders newest first, with their date, songs, size and
// whether they fit on the chosen card; put one back or delete it.

#include <QDialog>
#include <optional>

#include "app/main_view.h"

class QPushButton;
class QTreeWidget;

namespace tarvello {

class TBackupForm : public QDialog {
  Q_OBJECT

 public:
  explicit TBackupForm(const BackupDialogRequest& request, QWidget* parent = nullptr);

  // What the user chose; nullopt after the dialog was closed.
  std::optional<BackupChoice> Choice() const { return choice_; }

 private:
  void Choose(BackupChoice::Action action);
  void FollowSelection();

  QTreeWidget* lvBackups_ = nullptr;
  QPushButton* btRestore_ = nullptr;
  QPushButton* btDelete_ = nullptr;
  std::optional<BackupChoice> choice_;
};

}  // namespace tarvello
