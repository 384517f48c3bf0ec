#pragma once

// The window's message boxes and file dialog, with a seam for tests: when a responder is
// set it answers instead of the real dialogs. Every request is recorded either way.
// While a box or dialog is open the cursor is an arrow, whatever the command showed.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_view.h"

class QMessageBox;
class QWidget;

namespace tarvello {

enum class DialogKind { kInformation, kConfirm, kOpenFiles, kYesNoCancel, kChoice };

struct DialogRequest {
  DialogKind kind = DialogKind::kInformation;
  std::string text;       // the box's text; empty for the file dialog
  OpenFileRequest files;  // the file dialog's settings
  std::string accept;     // the caption of a choice box's accepting button
};

struct DialogAnswer {
  bool ok = true;                  // OK, or files were chosen
  std::vector<std::string> files;  // native paths
  YesNoCancel choice = YesNoCancel::kYes;  // the answer of a Yes / No / Cancel box
};

using DialogResponder = std::function<DialogAnswer(const DialogRequest&)>;

// A "name|patterns|name|patterns" filter in Qt's form: one "name (patterns)" entry per
// pair, patterns separated by blanks. A name's own "(...)" suffix gives way to the
// patterns, since Qt reads the filter from the last parentheses. "*.*" becomes "*", so
// files without an extension are shown too.
QStringList QtFileFilters(const std::string& filter);

// The box for a message or a confirmation, not yet shown.
std::unique_ptr<QMessageBox> MakeMessageBox(DialogKind kind, const std::string& text,
                                            QWidget* parent);

class Dialogs {
 public:
  static constexpr const char* kTitle = "Tarvello";

  explicit Dialogs(QWidget* parent) : parent_(parent) {}

  void SetResponder(DialogResponder responder) { responder_ = std::move(responder); }
  const std::vector<DialogRequest>& History() const { return history_; }

  void ShowInformation(const std::string& text);
  bool Confirm(const std::string& text);
  YesNoCancel AskYesNoCancel(const std::string& text);
  // A question whose accepting button says what it does (`accept`), and キャンセル, the
  // default, which Escape also answers; true for `accept`.
  bool AskChoice(const std::string& text, const std::string& accept);
  std::optional<std::vector<std::string>> ChooseFiles(const OpenFileRequest& request);

 private:
  QWidget* parent_;
  DialogResponder responder_;
  std::vector<DialogRequest> history_;
  QString last_folder_;  // where the last file dialog of this run found its files
};

}  // namespace tarvello
