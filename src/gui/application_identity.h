#pragma once

// How the program presents itself to the desktop: its name, the desktop entry that
// describes it (so the task bar finds the menu entry and its icon), its icon and font.

namespace tarvello {

// Call once the QApplication exists.
void SetUpApplicationIdentity();

}  // namespace tarvello
