// The drive box follows real mounts while the window runs: a tmpfs mounted under /media
// appears and is chosen, and when it is unmounted it leaves and the status says the
// medium is gone. Mounting needs root; without it the test skips with a clear line.

#include <sys/mount.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QTest>
#include <filesystem>

#include "fakes/fake_platform.h"
#include "gui/drive_combo_box.h"
#include "gui/main_form.h"
#include "gui/status_bar.h"
#include "platform/posix/posix_mount_watcher.h"
#include "platform/posix/posix_volumes.h"

namespace tarvello {

class MountWatchTest : public QObject {
  Q_OBJECT

 private slots:
  void TheDriveBoxFollowsMountsUnderMedia() {
    if (::geteuid() != 0) QSKIP("mounting a tmpfs needs root: the drive box's live list is not tested");
    const std::string root = "/media/tarvello-watch-" + std::to_string(::getpid());
    std::filesystem::create_directories(root);
    fakes::TempDir program;
    fakes::FakePlatform fake;
    fake.environment.executable_path = program.Path("tarvello");
    fake.environment.home = program.path();
    fake.environment.variables["TEMP"] = program.path();
    PosixVolumes volumes;
    Platform platform{volumes, fake.files, fake.environment};
    PosixMountWatcher watcher;
    TMainForm form(platform);
    form.SetDialogResponder([](const DialogRequest&) { return DialogAnswer{}; });
    form.WatchMounts(&watcher);
    form.Start();
    form.show();
    auto* drives = form.findChild<DriveComboBox*>(QStringLiteral("cbxDrives"));
    auto* status = form.findChild<StatusBar*>(QStringLiteral("StatusBar1"));
    const QString caption = QString::fromStdString(root);
    auto listed = [&] {
      for (int item = 0; item < drives->count(); ++item) {
        if (drives->itemText(item).contains(caption)) return item;
      }
      return -1;
    };
    QCOMPARE(listed(), -1);
    drives->setCurrentIndex(-1);

    QVERIFY(::mount("tarvello-watch", root.c_str(), "tmpfs", 0, "size=4m") == 0);
    QTRY_VERIFY(listed() >= 0);
    // Nothing was chosen: the new card under /media is.
    QTRY_COMPARE(drives->currentIndex(), listed());
    QTRY_VERIFY(status->PanelText(1).startsWith(QStringLiteral("tarvello-watch-")));

    QVERIFY(::umount2(root.c_str(), MNT_DETACH) == 0);
    QTRY_COMPARE(listed(), -1);
    QCOMPARE(drives->currentIndex(), -1);
    QVERIFY(status->PanelText(1).endsWith(QStringLiteral(": メディアが挿入されていません.")));
    QVERIFY(!form.CommandAction(Command::kExecute1)->isEnabled());
    std::filesystem::remove(root);
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::MountWatchTest)
#include "mount_watch_test.moc"
