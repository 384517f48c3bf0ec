#pragma once

// The program's icon: the artwork the desktop's menu shows, for the window and the task
// bar.

#include <QIcon>

namespace tarvello {

// The icon in every size rendered from the program's SVG artwork.
QIcon ProgramIcon();

}  // namespace tarvello
