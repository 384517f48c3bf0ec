#pragma once

// TPropertyForm: every stored detail of one song, read-only. The texts can be selected and
// copied; the compilation box cannot be changed.

#include <QDialog>

#include "catalogue/track_properties.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tarvello {

class TPropertyForm : public QDialog {
  Q_OBJECT

 public:
  TPropertyForm(const TrackProperties& properties, QWidget* parent = nullptr);

 private:
  void FormCreate(const TrackProperties& properties);
  QLineEdit* AddField(const char* name, int left, int top, int width);
  QPlainTextEdit* AddMemo(const char* name, int top, int height);
  void AddLabel(const char* text, int left, int top);

  QGroupBox* GroupBox1_ = nullptr;
  QLineEdit* edTitle_ = nullptr;
  QLineEdit* edTime_ = nullptr;
  QLineEdit* edArtist_ = nullptr;
  QLineEdit* edAlbum_ = nullptr;
  QLineEdit* edGenre_ = nullptr;
  QLineEdit* edYear_ = nullptr;
  QLineEdit* edTrackNo_ = nullptr;
  QLineEdit* edTrackTotal_ = nullptr;
  QLineEdit* edDiskNo_ = nullptr;
  QLineEdit* edDiskTotal_ = nullptr;
  QLineEdit* edTempo_ = nullptr;
  QLineEdit* edChNum_ = nullptr;
  QLineEdit* edBitRate_ = nullptr;
  QLineEdit* edSampleRate_ = nullptr;
  QLineEdit* edGroup_ = nullptr;
  QLineEdit* edWriter_ = nullptr;
  QPlainTextEdit* memComment_ = nullptr;
  QCheckBox* chkCompilation_ = nullptr;
  QLineEdit* edTool_ = nullptr;
  QLineEdit* edFileSize_ = nullptr;
  QPlainTextEdit* memFileName_ = nullptr;
  QPushButton* OKButton_ = nullptr;
};

}  // namespace tarvello
