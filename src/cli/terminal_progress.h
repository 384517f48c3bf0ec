#pragma once

// The output run's progress on standard error: a status line that rewrites itself when
// standard error is a terminal, the run's messages as lines, and Ctrl+C as the cancel
// button.

#include <signal.h>

#include <iosfwd>
#include <string>

#include "output/output_progress.h"

namespace tarvello::cli {

class TerminalProgress : public OutputProgress {
 public:
  // `interactive`: standard error is a terminal, so the status line is shown.
  TerminalProgress(std::ostream& err, bool interactive);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void SetLabel(const std::string& text) override;
  void SetMaximum(int maximum) override { maximum_ = maximum; }
  int Maximum() const override { return maximum_; }
  void Step() override;
  void ProcessEvents() override {}
  bool CancelRequested() const override;
  void ShowMessage(const std::string& text) override;
  void Beep() override;

 private:
  void Redraw();
  void EndStatusLine();

  std::ostream& err_;
  bool interactive_;
  bool status_shown_ = false;
  std::string label_;
  int maximum_ = 0;
  int position_ = 0;
  struct sigaction previous_interrupt_ {};  // Ctrl+C's handler before the run, put back after
};

// A message of the program as lines for a terminal: CR LF becomes a line end.
std::string TerminalText(const std::string& text);

}  // namespace tarvello::cli
