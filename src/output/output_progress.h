#pragma once

// What the output run shows while it works and how it hears of a cancel: the progress
// dialog in the window, a status line in tarvello-cli. Texts are UTF-8.

#include <string>

namespace tarvello {

class OutputProgress {
 public:
  virtual ~OutputProgress() = default;

  // The phase text and counter; shown and repainted at once.
  virtual void SetLabel(const std::string& text) = 0;
  // The progress bar runs from 0 to `maximum`.
  virtual void SetMaximum(int maximum) = 0;
  virtual int Maximum() const = 0;
  // Advances the progress bar by one step.
  virtual void Step() = 0;
  // Lets pending events run: repaints and the cancel button.
  virtual void ProcessEvents() = 0;
  // True once the user asked to cancel.
  virtual bool CancelRequested() const = 0;
  // An information box with an OK button; returns when the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;
  // The default system beep.
  virtual void Beep() = 0;
};

}  // namespace tarvello
