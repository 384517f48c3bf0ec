#include "gui/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace tarvello {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Messages put CR LF before an appended path; a message box breaks lines at LF alone.
QString MessageText(const std::string& text) {
  return FromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString NameWithoutPatterns(QString name) {
  static const QRegularExpression kTrailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  return name.remove(kTrailingGroup).trimmed();
}

// A box opens above the modal dialog that is up, such as the progress dialog, so the
// window manager cannot put it behind that dialog.
QWidget* BoxParent(QWidget* owner) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return owner;
}

// A box or dialog waits for the user: the hourglass of the command that opened it must
// not cover it. The previous cursor comes back when it closes.
class ArrowWhileOpen {
 public:
  ArrowWhileOpen() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~ArrowWhileOpen() { QApplication::restoreOverrideCursor(); }
  ArrowWhileOpen(const ArrowWhileOpen&) = delete;
  ArrowWhileOpen& operator=(const ArrowWhileOpen&) = delete;
};

// "*.*" asks for a dot on Linux; every file is "*".
QString NativePattern(const QString& pattern) {
  return pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
}

// The names typed into a file dialog's name field: each of several in double quotes, or
// the whole text as one name.
QStringList TypedNames(const QString& text) {
  if (!text.contains(QLatin1Char('"'))) {
    const QString name = text.trimmed();
    return name.isEmpty() ? QStringList() : QStringList{name};
  }
  QStringList names;
  const QStringList parts = text.split(QLatin1Char('"'));
  for (qsizetype i = 1; i < parts.size(); i += 2) {
    if (!parts[i].isEmpty()) names << parts[i];
  }
  return names;
}

// What the user chose. The dialog's own answer keeps only the names its filter shows, so
// "a.m4a" "notes.txt" typed under the AAC filter would lose the text file without a word;
// the typed names are taken as written, relative to the dialog's folder.
QStringList ChosenFiles(const QFileDialog& dialog) {
  const auto* name_field = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  const QStringList typed = name_field ? TypedNames(name_field->text()) : QStringList();
  if (typed.size() < 2) return dialog.selectedFiles();
  const QDir folder = dialog.directory();
  QStringList paths;
  for (const QString& name : typed) paths << QDir::cleanPath(folder.absoluteFilePath(name));
  return paths;
}

}  // namespace

QStringList QtFileFilters(const std::string& filter) {
  const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = NativePattern(pattern.trimmed());
    patterns.removeAll(QString());
    if (patterns.isEmpty()) continue;
    QString name = NameWithoutPatterns(parts[i]);
    if (name.isEmpty()) name = patterns.join(QLatin1Char(' '));
    filters << QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
  }
  return filters;
}

std::unique_ptr<QMessageBox> MakeMessageBox(DialogKind kind, const std::string& text,
                                            QWidget* parent) {
  const bool confirm = kind == DialogKind::kConfirm;
  auto box = std::make_unique<QMessageBox>(
      confirm ? QMessageBox::Question : QMessageBox::Information,
      QString::fromUtf8(Dialogs::kTitle), MessageText(text),
      confirm ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, parent);
  // Paths and tags are shown as they are, never read as markup.
  box->setTextFormat(Qt::PlainText);
  box->setDefaultButton(QMessageBox::Ok);
  return box;
}

void Dialogs::ShowInformation(const std::string& text) {
  history_.push_back({DialogKind::kInformation, text, {}});
  if (responder_) {
    responder_(history_.back());
    return;
  }
  const ArrowWhileOpen arrow;
  MakeMessageBox(DialogKind::kInformation, text, BoxParent(parent_))->exec();
}

bool Dialogs::Confirm(const std::string& text) {
  history_.push_back({DialogKind::kConfirm, text, {}});
  if (responder_) return responder_(history_.back()).ok;
  const ArrowWhileOpen arrow;
  return MakeMessageBox(DialogKind::kConfirm, text, BoxParent(parent_))->exec() == QMessageBox::Ok;
}

YesNoCancel Dialogs::AskYesNoCancel(const std::string& text) {
  history_.push_back({DialogKind::kYesNoCancel, text, {}});
  if (responder_) return responder_(history_.back()).choice;
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kTitle), MessageText(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, BoxParent(parent_));
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  // Escape and closing the box answer Cancel.
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return YesNoCancel::kYes;
    case QMessageBox::No:
      return YesNoCancel::kNo;
    default:
      return YesNoCancel::kCancel;
  }
}

bool Dialogs::AskChoice(const std::string& text, const std::string& accept) {
  history_.push_back({DialogKind::kChoice, text, {}, accept});
  if (responder_) return responder_(history_.back()).ok;
  QMessageBox box(QMessageBox::Question, QString::fromUtf8(kTitle), MessageText(text),
                  QMessageBox::NoButton, BoxParent(parent_));
  box.setTextFormat(Qt::PlainText);
  QPushButton* accepting = box.addButton(FromUtf8(accept), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  // Nothing on the card changes unless the user picks the choice on purpose.
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  const ArrowWhileOpen arrow;
  box.exec();
  return box.clickedButton() == accepting;
}

std::optional<std::vector<std::string>> Dialogs::ChooseFiles(const OpenFileRequest& request) {
  history_.push_back({DialogKind::kOpenFiles, {}, request});
  if (responder_) {
    DialogAnswer answer = responder_(history_.back());
    if (!answer.ok) return std::nullopt;
    return std::move(answer.files);
  }
  const QStringList filters = QtFileFilters(request.filter);
  QFileDialog dialog(BoxParent(parent_), FromUtf8(request.title), last_folder_,
                     filters.join(QStringLiteral(";;")));
  dialog.setObjectName(QStringLiteral("OpenDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
  int result = QDialog::Rejected;
  {
    const ArrowWhileOpen arrow;
    result = dialog.exec();
  }
  const QStringList chosen = result == QDialog::Accepted ? ChosenFiles(dialog) : QStringList();
  if (chosen.isEmpty()) return std::nullopt;
  // The next dialog of this run opens where the user last found songs.
  last_folder_ = QFileInfo(chosen.first()).absolutePath();
  std::vector<std::string> paths;
  paths.reserve(chosen.size());
  for (const QString& path : chosen) paths.push_back(QFile::encodeName(path).toStdString());
  return paths;
}

}  // namespace tarvello
