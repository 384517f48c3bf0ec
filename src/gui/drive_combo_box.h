#pragma once

// cbxDrives: the drive box. Its drop-down list widens to fit the longest caption, and
// only a selection the user makes is reported; the presenter's own updates are not.

#include <QComboBox>
#include <functional>
#include <vector>

#include "app/main_view.h"

namespace tarvello {

class DriveComboBox : public QComboBox {
  Q_OBJECT

 public:
  static constexpr int kDropDownCount = 8;
  static constexpr int kDropDownPadding = 32;

  explicit DriveComboBox(QWidget* parent = nullptr);

  // Called with the new index when the user picks a drive.
  void SetOnUserChange(std::function<void(int)> on_change) { on_change_ = std::move(on_change); }

  void SetDriveItems(const std::vector<DriveItem>& items);
  void SetDriveIndex(int index);

  // The width the drop-down list gets (cbxDrivesDropDown).
  int DropDownWidth() const;

  void showPopup() override;

 private:
  void IndexChanged(int index);

  std::function<void(int)> on_change_;
  bool updating_ = false;
};

}  // namespace tarvello
