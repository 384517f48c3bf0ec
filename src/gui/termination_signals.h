#pragma once

// The end of a session (SIGTERM, SIGHUP) or Ctrl+C in a terminal (SIGINT) closes the
// windows as their close boxes do, so the settings are written at exit; a second signal
// ends the program at once.

namespace tarvello {

// Call once the QApplication exists.
void CloseWindowsOnTerminationSignals();

}  // namespace tarvello
