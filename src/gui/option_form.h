#pragma once

// TOptionForm: the output options. The dialog starts from the values it is given and hands
// back what its controls hold; the caller stores them only when the dialog ends with OK.
// キャンセル is the default and the cancel button: Escape cancels, and so does Enter unless
// a button has the focus.

#include <QDialog>
#include <functional>
#include <string>

#include "app/option_form_values.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace tarvello {

// The folder chooser: `folder` in is where it starts (cleared when that is no folder),
// out is the chosen folder's native path. True when a folder was chosen.
bool BrowseForFolder(QWidget* owner, const std::string& title, const std::string& root,
                     std::string& folder);

using FolderChooser = std::function<bool(std::string& folder)>;

class TOptionForm : public QDialog {
  Q_OBJECT

 public:
  // `choose_folder` replaces the real folder chooser (tests); empty for the real one.
  TOptionForm(const OptionDialogRequest& request, FolderChooser choose_folder = {},
              QWidget* parent = nullptr);

  // What the controls hold now (btOKClick's values).
  OptionFormValues Values() const;

 private:
  void FormCreate(const OptionFormValues& values);
  void btDirDialogClick();
  // The second page: the card checks.
  void AddCardPage();
  void AddConversionPage();
  // The cache's folder and size on the conversion page, measured when the page opens.
  void AddCacheControls(QWidget* page);
  void ShowCacheFigures();
  // Empties the cache after the user confirms, then shows what it holds now.
  void btEmptyCacheClick();
  // OK closes the dialog only for values that may be stored; otherwise a box says why and
  // the folder field takes the focus.
  void btOKClick();
  QLineEdit* AddEdit(QWidget* page, const char* name, const char* label, int top, int width,
                     int max_length);

  std::vector<std::string> mount_points_;
  FolderChooser choose_folder_;
  QTabWidget* PageControl1_ = nullptr;
  QLineEdit* edOutDir_ = nullptr;
  QPushButton* btDirDialog_ = nullptr;
  QLineEdit* edPrefix_ = nullptr;
  QLineEdit* edExt_ = nullptr;
  QComboBox* cbTitleFormat_ = nullptr;
  QComboBox* cbSeparater_ = nullptr;
  QCheckBox* chAutoGetDest_ = nullptr;
  QCheckBox* chBackup_ = nullptr;
  QCheckBox* chVerify_ = nullptr;
  QSpinBox* seBackupsToKeep_ = nullptr;
  QCheckBox* chConvert_ = nullptr;
  QComboBox* cbBitRate_ = nullptr;
  CachePageControl* cache_ = nullptr;
  bool cache_measured_ = false;
  QLabel* lbCacheFolder_ = nullptr;
  QLabel* lbCacheSize_ = nullptr;
  QPushButton* btEmptyCache_ = nullptr;
  QLabel* lbCacheResult_ = nullptr;
  QPushButton* btOK_ = nullptr;
  QPushButton* btCancel_ = nullptr;
};

}  // namespace tarvello
