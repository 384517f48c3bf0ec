#include "gui/program_icon.h"

#include <QString>

#include "version.h"

namespace tarvello {

QIcon ProgramIcon() {
  // The build renders these from the same SVG that is installed into the icon theme.
  QIcon icon;
  for (int size : {48, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/%1/%2.png").arg(size).arg(QLatin1String(kDesktopFileId)),
                 QSize(size, size));
  }
  return icon;
}

}  // namespace tarvello
