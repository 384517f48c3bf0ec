#pragma once

// TAboutDialog: the program's name, version and copyright line from its version
// information, and its picture from the "AboutImage" resource.

#include <QDialog>
#include <optional>
#include <string>

#include "app/version_info.h"

class QLabel;
class QPushButton;

namespace tarvello {

class TAboutDialog : public QDialog {
  Q_OBJECT

 public:
  // Without version information the labels keep their design texts and there is no
  // picture.
  TAboutDialog(const std::string& application_title, const std::optional<VersionInfo>& version,
               QWidget* parent = nullptr);

 private:
  QLabel* ProgramImage_ = nullptr;
  QLabel* ProductName_ = nullptr;
  QLabel* Version_ = nullptr;
  QLabel* Copyright_ = nullptr;
  QPushButton* OKButton_ = nullptr;
};

}  // namespace tarvello
