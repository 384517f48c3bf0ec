// The UDisks2 eject over D-Bus, against a mock UDisks2 service (python-dbusmock) on a bus
// of the test's own: which objects get which calls, in which order, and what a refusal
// reports.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <memory>

#include "gui/udisks_ejector.h"

namespace tarvello {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kBlockPath = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
const QString kDrivePath = QStringLiteral("/org/freedesktop/UDisks2/drives/");

// A private message bus and a mock UDisks2 service on it, ended with the test.
class MockUDisks {
 public:
  explicit MockUDisks(const QByteArray& parameters) {
    bus_daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
    if (!bus_daemon_.waitForStarted() || !bus_daemon_.waitForReadyRead(10000)) {
      error_ = "dbus-daemon did not start";
      return;
    }
    address_ = QString::fromUtf8(bus_daemon_.readLine().trimmed());
    bus_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(address_, QStringLiteral("udisks-test")));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    service_.setProcessEnvironment(environment);
    service_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service_.setStandardOutputFile(QProcess::nullDevice());
    // The system's own Python: python3-dbusmock is installed for it.
    service_.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
         QStringLiteral("--template"), QStringLiteral(TARVELLO_TEST_DATA "/udisks2_mock.py"),
         QStringLiteral("--parameters"), QString::fromUtf8(parameters)});
    const QDeadlineTimer deadline(15000);
    while (!bus_->interface()->isServiceRegistered(kService)) {
      if (deadline.hasExpired() || service_.state() == QProcess::NotRunning) {
        error_ = "the mock UDisks2 service did not come up";
        return;
      }
      QThread::msleep(20);
    }
  }

  ~MockUDisks() {
    service_.kill();
    service_.waitForFinished();
    bus_.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("udisks-test"));
    bus_daemon_.kill();
    bus_daemon_.waitForFinished();
  }

  // Empty when the bus and the service are up.
  const char* error() const { return error_; }
  QDBusConnection& bus() { return *bus_; }

  // How often `method` was called on the object at `path`.
  int Calls(const QString& path, const QString& method) {
    QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, path, QStringLiteral("org.freedesktop.DBus.Mock"),
                                       QStringLiteral("GetMethodCalls"));
    ask << method;
    const QDBusMessage reply = bus_->call(ask);
    if (reply.type() != QDBusMessage::ReplyMessage) return -1;
    const QDBusArgument calls = reply.arguments().constFirst().value<QDBusArgument>();
    int count = 0;
    calls.beginArray();
    while (!calls.atEnd()) {
      quint64 time = 0;
      QVariantList arguments;
      calls.beginStructure();
      calls >> time >> arguments;
      calls.endStructure();
      ++count;
    }
    calls.endArray();
    return count;
  }

 private:
  QProcess bus_daemon_;
  QProcess service_;
  QString address_;
  std::unique_ptr<QDBusConnection> bus_;
  const char* error_ = "";
};

QByteArray Parameters(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject Filesystem(const char* block, const char* drive, const QStringList& mounts,
                       const char* unmount_error = "") {
  return {{"block", block},
          {"drive", drive},
          {"mount_points", QJsonArray::fromStringList(mounts)},
          {"unmount_error", unmount_error}};
}

QJsonObject Drive(const char* name, bool can_power_off, const char* power_off_error = "") {
  return {{"drive", name}, {"can_power_off", can_power_off}, {"power_off_error", power_off_error}};
}

#define START_MOCK(name, parameters)       \
  MockUDisks name(Parameters(parameters)); \
  QVERIFY2(*name.error() == '\0', name.error())

}  // namespace

class UDisksEjectorTest : public QObject {
  Q_OBJECT

 private slots:
  void UnmountsThenPowersOffADriveThatCanBeAndHasNothingElseMounted() {
    START_MOCK(
        udisks,
        (QJsonObject{{"filesystems", QJsonArray{Filesystem("sda2", "Disk", {"/"}),
                                                Filesystem("sdb1", "Reader", {"/media/me/CARD"}),
                                                Filesystem("mmcblk0p1", "Slot", {"/media/me/SD"}),
                                                Filesystem("sdc1", "Stick", {"/media/me/ONE"}),
                                                Filesystem("sdc2", "Stick", {"/media/me/TWO"})}},
                     {"drives", QJsonArray{Drive("Disk", true), Drive("Reader", true),
                                           Drive("Slot", false), Drive("Stick", true)}}}));
    UDisksEjector ejector(udisks.bus());
    QVERIFY(ejector.ServiceAnswers());
    const EjectResult card = ejector.Eject("/media/me/CARD");
    QVERIFY(card.unmounted);
    QCOMPARE(QString::fromStdString(card.refusal), QString());
    QCOMPARE(udisks.Calls(kBlockPath + "sdb1", "Unmount"), 1);
    // The mock refuses a power-off while a file system is mounted: the unmount came first.
    QCOMPARE(udisks.Calls(kDrivePath + "Reader", "PowerOff"), 1);
    QCOMPARE(udisks.Calls(kBlockPath + "sda2", "Unmount"), 0);
    QCOMPARE(udisks.Calls(kDrivePath + "Disk", "PowerOff"), 0);

    // A slot that cannot be powered off only loses its file system.
    QVERIFY(ejector.Eject("/media/me/SD").unmounted);
    QCOMPARE(udisks.Calls(kBlockPath + "mmcblk0p1", "Unmount"), 1);
    QCOMPARE(udisks.Calls(kDrivePath + "Slot", "PowerOff"), 0);

    const EjectResult first = ejector.Eject("/media/me/ONE");
    QVERIFY(first.unmounted);
    QVERIFY(first.refusal.empty());
    QCOMPARE(udisks.Calls(kDrivePath + "Stick", "PowerOff"), 0);  // TWO is still mounted
    QVERIFY(ejector.Eject("/media/me/TWO").unmounted);
    QCOMPARE(udisks.Calls(kDrivePath + "Stick", "PowerOff"), 1);
  }

  void RefusalsGiveTheSystemsReasonAndUnknownVolumesAreLeftAlone() {
    START_MOCK(udisks,
               (QJsonObject{{"filesystems",
                             QJsonArray{Filesystem("sdb1", "Reader", {"/media/me/CARD"},
                                                   "Error unmounting /dev/sdb1: target is busy"),
                                        Filesystem("sdc1", "Locked", {"/media/me/LOCKED"})}},
                            {"drives", QJsonArray{Drive("Reader", true),
                                                  Drive("Locked", true, "Not authorized")}}}));
    UDisksEjector ejector(udisks.bus());
    // A mount point that only begins like the card's is another volume.
    const EjectResult unknown = ejector.Eject("/media/me/CAR");
    QVERIFY(!unknown.unmounted);
    QVERIFY(QString::fromStdString(unknown.refusal).endsWith(QStringLiteral(": /media/me/CAR")));
    QCOMPARE(udisks.Calls(kBlockPath + "sdb1", "Unmount"), 0);

    // A refused unmount powers nothing off.
    const EjectResult busy = ejector.Eject("/media/me/CARD");
    QVERIFY(!busy.unmounted);
    QCOMPARE(QString::fromStdString(busy.refusal),
             QStringLiteral("マウントを解除できませんでした.\r\nシステムからの報告: "
                            "Error unmounting /dev/sdb1: target is busy"));
    QCOMPARE(udisks.Calls(kDrivePath + "Reader", "PowerOff"), 0);

    // A refused power-off still reports the volume unmounted.
    const EjectResult locked = ejector.Eject("/media/me/LOCKED");
    QVERIFY(locked.unmounted);
    QVERIFY(QString::fromStdString(locked.refusal).endsWith(QStringLiteral("\r\nシステムからの報告: Not authorized")));
  }

  void WithoutTheSystemBusTheEjectIsNotOfferedAndTheReasonIsJapaneseFirst() {
    UDisksEjector ejector(QDBusConnection(QStringLiteral("never-connected")));
    QVERIFY(!ejector.ServiceAnswers());
    const EjectResult result = ejector.Eject("/media/me/CARD");
    QVERIFY(!result.unmounted);
    // The bus's English reason follows a Japanese sentence.
    QVERIFY(QString::fromStdString(result.refusal)
                .startsWith(QStringLiteral("システムのディスク管理 (UDisks2) に問い合わせできませんでした.\r\n")));
  }
};

}  // namespace tarvello

QTEST_GUILESS_MAIN(tarvello::UDisksEjectorTest)
#include "udisks_ejector_test.moc"
