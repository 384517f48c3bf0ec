#include "gui/progress_form.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "gui/dialogs.h"
#include "gui/ui_font.h"

namespace tarvello {
namespace {

// Places of the controls in the fixed client area.
constexpr int kMessageWidth = 273;
constexpr int kMessageHeight = 17;
constexpr int kMessageTop = 14;
constexpr int kBarHeight = 18;
constexpr int kBarTop = 38;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 72;

int CentredLeft(int width) {
  return (TProgressForm::kClientWidth - width) / 2;
}

}  // namespace

TProgressForm::TProgressForm(QWidget* parent, Work work, MessageFunction show_message)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),  // no close button
      work_(std::move(work)),
      show_message_(std::move(show_message)),
      lbMessage_(new QLabel(this)),
      ProgressBar1_(new QProgressBar(this)),
      btCancel_(new QPushButton(QStringLiteral("キャンセル"), this)),
      Timer1_(new QTimer(this)) {
  setWindowTitle(QStringLiteral("In Progress..."));
  setFont(TarvelloFont());
  setFixedSize(kClientWidth, kClientHeight);

  lbMessage_->setObjectName(QStringLiteral("lbMessage"));
  lbMessage_->setAlignment(Qt::AlignCenter);
  lbMessage_->setTextFormat(Qt::PlainText);
  ProgressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1_->setRange(0, 100);
  ProgressBar1_->setValue(0);
  ProgressBar1_->setTextVisible(false);
  btCancel_->setObjectName(QStringLiteral("btCancel"));
  Timer1_->setObjectName(QStringLiteral("Timer1"));
  Timer1_->setSingleShot(true);
  PlaceControls();

  connect(btCancel_, &QPushButton::clicked, this, &TProgressForm::btCancelClick);
  connect(Timer1_, &QTimer::timeout, this, &TProgressForm::Timer1Timer);
  FormCreate();
}

void TProgressForm::PlaceControls() {
  lbMessage_->setGeometry(CentredLeft(kMessageWidth), kMessageTop, kMessageWidth, kMessageHeight);
  ProgressBar1_->setGeometry(CentredLeft(kMessageWidth), kBarTop, kMessageWidth, kBarHeight);
  // The button grows when a style needs more room for its text than the classic width.
  const int button_width = std::max(kButtonWidth, btCancel_->sizeHint().width());
  btCancel_->setGeometry(CentredLeft(button_width), kButtonTop, button_width, kButtonHeight);
}

void TProgressForm::FormCreate() {
  cancel_requested_ = false;
  Timer1_->setInterval(kTimerInterval);
}

void TProgressForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The work starts once, shortly after the dialog is first on screen.
  if (stage_ == Stage::kWaiting && !Timer1_->isActive()) Timer1_->start();
}

void TProgressForm::Timer1Timer() {
  Timer1_->stop();
  if (stage_ != Stage::kWaiting) return;
  stage_ = Stage::kRunning;
  // An exception must not unwind through the event loop; the caller gets it after exec().
  try {
    if (work_) work_(*this);
  } catch (...) {
    failure_ = std::current_exception();
  }
  stage_ = Stage::kFinished;
  accept();
}

void TProgressForm::btCancelClick() {
  cancel_requested_ = true;
}

void TProgressForm::reject() {
  if (stage_ != Stage::kFinished) {
    btCancelClick();
    return;
  }
  QDialog::reject();
}

void TProgressForm::SetLabel(const std::string& text) {
  // A long path gives up its middle, so the counts in front and the name at the end show.
  const QString full = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  lbMessage_->setText(
      lbMessage_->fontMetrics().elidedText(full, Qt::ElideMiddle, lbMessage_->width()));
  lbMessage_->repaint();
}

void TProgressForm::SetMaximum(int maximum) {
  // A new range would reset the bar; the position is kept within it instead.
  const int position = ProgressBar1_->value();
  ProgressBar1_->setMaximum(std::max(maximum, 0));
  ProgressBar1_->setValue(std::clamp(position, 0, ProgressBar1_->maximum()));
}

int TProgressForm::Maximum() const {
  return ProgressBar1_->maximum();
}

void TProgressForm::Step() {
  ProgressBar1_->setValue(std::min(ProgressBar1_->value() + 1, ProgressBar1_->maximum()));
}

void TProgressForm::ProcessEvents() {
  QCoreApplication::processEvents();
}

void TProgressForm::ShowMessage(const std::string& text) {
  if (show_message_) {
    show_message_(text);
    return;
  }
  MakeMessageBox(DialogKind::kInformation, text, this)->exec();
}

void TProgressForm::Beep() {
  QApplication::beep();
}

void RunWithProgressDialog(QWidget* parent, const std::function<void(OutputProgress&)>& work,
                           const std::function<void(const std::string&)>& show_message) {
  // QDialog centres a window that has a parent over the parent's window when it shows it.
  TProgressForm form(parent, work, show_message);
  form.exec();
  if (form.Failure()) std::rethrow_exception(form.Failure());
}

}  // namespace tarvello
