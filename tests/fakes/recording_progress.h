#pragma once

// An OutputProgress that records what the run shows and can press cancel at a chosen
// moment.

#include <functional>
#include <string>
#include <vector>

#include "output/output_progress.h"

namespace tarvello::testing {

class RecordingProgress : public OutputProgress {
 public:
  std::vector<std::string> labels;
  std::vector<std::string> messages;
  int maximum = 0;
  int position = 0;
  int events = 0;
  int beeps = 0;
  int cursor_depth_seen = 0;  // wait cursors shown when the dialog opened
  mutable bool cancel = false;
  // When above 0, cancel is pressed just before the run looks for it this many times.
  int cancel_at_check = 0;
  mutable int checks = 0;
  // Asked at every event point; returning true presses cancel.
  std::function<bool(const RecordingProgress&)> press_cancel;
  // Called with each box the run shows.
  std::function<void(const std::string&)> on_message;

  void SetLabel(const std::string& text) override { labels.push_back(text); }
  void SetMaximum(int value) override { maximum = value; }
  int Maximum() const override { return maximum; }
  void Step() override { ++position; }
  void ProcessEvents() override {
    ++events;
    if (press_cancel && press_cancel(*this)) cancel = true;
  }
  bool CancelRequested() const override {
    if (cancel_at_check > 0 && ++checks >= cancel_at_check) cancel = true;
    return cancel;
  }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
    if (on_message) on_message(text);
  }
  void Beep() override { ++beeps; }

  bool ShowedLabel(const std::string& text) const {
    for (const std::string& label : labels) {
      if (label == text) return true;
    }
    return false;
  }
};

}  // namespace tarvello::testing
