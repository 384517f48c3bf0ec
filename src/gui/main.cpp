// tarvello: the desktop program.

#include <QApplication>

#include "app/main_presenter.h"
#include "gui/image_list.h"
#include "gui/main_form.h"
#include "gui/qt_translations.h"
#include "gui/ui_font.h"
#include "platform/posix/posix_platform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(tarvello::kApplicationTitle));
  QApplication::setApplicationDisplayName(QString::fromUtf8(tarvello::kApplicationTitle));
  tarvello::LoadQtTranslations(application);
  QApplication::setFont(tarvello::TarvelloFont());
  QApplication::setWindowIcon(tarvello::ProgramIcon());

  tarvello::PosixPlatform platform;
  tarvello::TMainForm form(platform.Get());
  form.Start();
  form.show();
  return QApplication::exec();
}
