#pragma once

// A progress view for benchmarks of the output run: shows nothing, never cancels, and
// keeps the last message for a report of what went wrong.

#include <string>

#include "output/output_progress.h"

namespace tarvello::bench {

class SilentProgress : public OutputProgress {
 public:
  void SetLabel(const std::string&) override {}
  void SetMaximum(int maximum) override { maximum_ = maximum; }
  int Maximum() const override { return maximum_; }
  void Step() override {}
  void ProcessEvents() override {}
  bool CancelRequested() const override { return false; }
  void ShowMessage(const std::string& text) override { last_message = text; }
  void Beep() override {}
  std::string last_message;

 private:
  int maximum_ = 0;
};

}  // namespace tarvello::bench
