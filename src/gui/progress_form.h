#pragma once

// The small modal dialog that runs the output: it waits until it is on screen, runs the
// work inside its one-shot timer, shows the work's progress and closes itself when the
// work returns. Its cancel button, Escape and a close request only ask the work to stop.

#include <QDialog>
#include <exception>
#include <functional>
#include <string>

#include "output/output_progress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tarvello {

class TProgressForm : public QDialog, public OutputProgress {
  Q_OBJECT

 public:
  using Work = std::function<void(OutputProgress&)>;
  using MessageFunction = std::function<void(const std::string&)>;

  static constexpr int kClientWidth = 337;
  static constexpr int kClientHeight = 108;
  static constexpr int kTimerInterval = 100;

  // `show_message` shows an information box and returns when it is closed; without one
  // the dialog shows its own box.
  TProgressForm(QWidget* parent, Work work, MessageFunction show_message);

  // OutputProgress: what the work calls while it runs.
  void SetLabel(const std::string& text) override;
  void SetMaximum(int maximum) override;
  int Maximum() const override;
  void Step() override;
  void ProcessEvents() override;
  bool CancelRequested() const override { return cancel_requested_; }
  void ShowMessage(const std::string& text) override;
  void Beep() override;

  // True once the work has returned, normally or by an exception.
  bool WorkFinished() const { return stage_ == Stage::kFinished; }
  // The exception that ended the work, if one did.
  std::exception_ptr Failure() const { return failure_; }

 public slots:
  // Escape and the window's close request land here: while the work has not returned
  // they ask it to stop like the cancel button and leave the dialog open.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void Timer1Timer();
  void btCancelClick();

 private:
  enum class Stage { kWaiting, kRunning, kFinished };

  void FormCreate();
  void PlaceControls();

  Work work_;
  MessageFunction show_message_;
  QLabel* lbMessage_;
  QProgressBar* ProgressBar1_;
  QPushButton* btCancel_;
  QTimer* Timer1_;
  bool cancel_requested_ = false;
  Stage stage_ = Stage::kWaiting;
  std::exception_ptr failure_;
};

// Runs `work` inside a new progress dialog, modal and centred on `parent`, and returns
// when the work has returned and the dialog has closed. An exception that ends the work
// closes the dialog first and is then thrown again to the caller.
void RunWithProgressDialog(QWidget* parent, const std::function<void(OutputProgress&)>& work,
                           const std::function<void(const std::string&)>& show_message);

}  // namespace tarvello
