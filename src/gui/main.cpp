// tarvello: the desktop program.

#include <QApplication>
#include <QDBusConnection>

#include "gui/application_identity.h"
#include "gui/desktop_notifier.h"
#include "gui/main_form.h"
#include "gui/qt_translations.h"
#include "gui/termination_signals.h"
#include "gui/udisks_ejector.h"
#include "platform/posix/posix_mount_watcher.h"
#include "platform/posix/posix_platform.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  tarvello::SetUpApplicationIdentity();
  tarvello::LoadQtTranslations(application);
  tarvello::CloseWindowsOnTerminationSignals();

  tarvello::PosixPlatform platform;
  tarvello::UDisksEjector ejector(QDBusConnection::systemBus());
  tarvello::PosixMountWatcher mount_watcher;
  tarvello::DesktopNotifier notifier(QDBusConnection::sessionBus());
  tarvello::TMainForm form(platform.Get());
  form.WatchMounts(&mount_watcher);
  form.SetDesktopNotifier(&notifier);
  // Without UDisks2 on the system bus the eject is not offered at all.
  form.SetVolumeEjector(ejector.ServiceAnswers() ? &ejector : nullptr);
  form.Start();
  form.show();
  return QApplication::exec();
}
