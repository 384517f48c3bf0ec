// tarvello: the desktop program.

#include <QApplication>

#include "gui/application_identity.h"
#include "gui/main_form.h"
#include "platform/posix/posix_platform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  tarvello::SetUpApplicationIdentity();

  tarvello::PosixPlatform platform;
  tarvello::TMainForm form(platform.Get());
  form.Start();
  form.show();
  return QApplication::exec();
}
