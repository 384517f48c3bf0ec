#include "cli/terminal_progress.h"

#include <signal.h>

#include <cerrno>
#include <ostream>

namespace tarvello::cli {
namespace {

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  const int saved_errno = errno;
  interrupted = 1;
  errno = saved_errno;
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& err, bool interactive)
    : err_(err), interactive_(interactive) {
  interrupted = 0;
  // Ctrl+C asks the run to stop at its next check, as the cancel button does, so the card
  // is never left in the middle of a file.
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // Reads and writes of the run go on where the signal found them.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previous_interrupt_);
}

TerminalProgress::~TerminalProgress() {
  EndStatusLine();
  sigaction(SIGINT, &previous_interrupt_, nullptr);
}

void TerminalProgress::SetLabel(const std::string& text) {
  label_ = text;
  Redraw();
}

void TerminalProgress::Step() {
  ++position_;
  Redraw();
}

bool TerminalProgress::CancelRequested() const {
  return interrupted != 0;
}

void TerminalProgress::ShowMessage(const std::string& text) {
  EndStatusLine();
  err_ << TerminalText(text) << "\n" << std::flush;
}

void TerminalProgress::Beep() {
  if (interactive_) err_ << '\a' << std::flush;
}

void TerminalProgress::Redraw() {
  if (!interactive_) return;
  const int percent = maximum_ > 0 ? position_ * 100 / maximum_ : 0;
  // Carriage return and "erase to the end of the line" keep one line that rewrites itself.
  err_ << "\r" << label_ << " (" << percent << "%)\x1b[K" << std::flush;
  status_shown_ = true;
}

void TerminalProgress::EndStatusLine() {
  if (!status_shown_) return;
  err_ << "\n";
  status_shown_ = false;
}

std::string TerminalText(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  return lines;
}

}  // namespace tarvello::cli
