// The desktop notification over D-Bus, against a mock notification service
// (python-dbusmock's notification daemon) on a bus of the test's own.

#include <QStandardPaths>
#include <QTest>

#include "gui/desktop_notifier.h"
#include "gui/mock_bus_service.h"
#include "version.h"

namespace tarvello {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

}  // namespace

class DesktopNotifierTest : public QObject {
  Q_OBJECT

 private slots:
  void TheNotificationNamesTheProgramAndSaysWhatWasDone() {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
      QSKIP("dbus-daemon is not installed");
    }
    MockBusService service(kService, QStringLiteral("notification_daemon"));
    if (*service.error() != '\0') QSKIP(service.error());
    DesktopNotifier notifier(service.bus());

    QVERIFY(notifier.Notify(QStringLiteral("Tarvello"),
                            QStringLiteral("カード CARD を更新しました: 12 曲を追加、3 曲を削除")));
    QTRY_COMPARE(service.Calls(kPath, QStringLiteral("Notify")), 1);
    const QVariantList call = service.MethodCalls(kPath, QStringLiteral("Notify")).constFirst();
    QCOMPARE(call.size(), 8);
    QCOMPARE(call[0].toString(), QStringLiteral("Tarvello"));
    QCOMPARE(call[2].toString(), QString::fromLatin1(kDesktopFileId));  // the icon
    QCOMPARE(call[3].toString(), QStringLiteral("Tarvello"));
    QCOMPARE(call[4].toString(),
             QStringLiteral("カード CARD を更新しました: 12 曲を追加、3 曲を削除"));
  }

  void WithoutABusNothingIsSent() {
    DesktopNotifier notifier(QDBusConnection(QStringLiteral("never-connected")));
    QVERIFY(!notifier.Notify(QStringLiteral("Tarvello"), QStringLiteral("text")));
  }
};

}  // namespace tarvello

QTEST_GUILESS_MAIN(tarvello::DesktopNotifierTest)
#include "desktop_notifier_test.moc"
