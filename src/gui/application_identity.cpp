#include "gui/application_identity.h"

#include <QApplication>
#include <QGuiApplication>

#include "app/main_presenter.h"
#include "gui/program_icon.h"
#include "gui/ui_font.h"
#include "version.h"

namespace tarvello {

void SetUpApplicationIdentity() {
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  QApplication::setApplicationDisplayName(QString::fromUtf8(kApplicationTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(kFileVersion));
  // Wayland compositors match the window to its menu entry by this name.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileId));
  QApplication::setFont(TarvelloFont());
  QApplication::setWindowIcon(ProgramIcon());
}

}  // namespace tarvello
