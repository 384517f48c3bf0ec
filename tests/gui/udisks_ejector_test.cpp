// The UDisks2 eject over D-Bus, against a mock UDisks2 service (python-dbusmock) on a bus
// of the test's own: which objects get which calls, in which order, and what a refusal
// reports.

#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include "gui/mock_bus_service.h"
#include "gui/udisks_ejector.h"

namespace tarvello {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kBlockPath = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
const QString kDrivePath = QStringLiteral("/org/freedesktop/UDisks2/drives/");

// A private message bus and a mock UDisks2 service on it.
class MockUDisks : public MockBusService {
 public:
  explicit MockUDisks(const QByteArray& parameters)
      : MockBusService(kService, QStringLiteral(TARVELLO_TEST_DATA "/udisks2_mock.py"),
                       parameters) {}
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
