#include "gui/udisks_ejector.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace {

// What UDisks2's object manager reports: interfaces and their properties, by object.
using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

}  // namespace

Q_DECLARE_METATYPE(InterfaceProperties)
Q_DECLARE_METATYPE(ManagedObjects)

namespace tarvello {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kManagerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kNoDrive = QStringLiteral("/");

// Unmounting writes what is still cached, and the system may first ask the user for a
// password: both can take a while.
constexpr int kCallTimeoutMilliseconds = 120 * 1000;

constexpr const char* kNotManaged =
    "システムのディスク管理 (UDisks2) にこのボリュームがありません: ";

// The system's own message, which may be English, after a Japanese sentence that says
// what failed.
std::string SystemReason(const char* sentence, const QString& message) {
  return std::string(sentence) + "\r\nシステムからの報告: " + message.toStdString();
}

// A property that D-Bus delivered as a variant, in the type `T`.
template <typename T>
T PropertyAs(const QVariant& value) {
  if (value.canConvert<QDBusArgument>()) return qdbus_cast<T>(value.value<QDBusArgument>());
  return value.value<T>();
}

// The mount points of a file system; UDisks2 sends each as bytes ending with a zero.
QByteArrayList MountPoints(const InterfaceProperties& interfaces) {
  QByteArrayList points = PropertyAs<QByteArrayList>(
      interfaces.value(kFilesystem).value(QStringLiteral("MountPoints")));
  for (QByteArray& point : points) {
    while (point.endsWith('\0')) point.chop(1);
  }
  return points;
}

QString DriveOf(const InterfaceProperties& interfaces) {
  return PropertyAs<QDBusObjectPath>(interfaces.value(kBlock).value(QStringLiteral("Drive")))
      .path();
}

// True when another file system of `drive` than `except` is still mounted: powering the
// drive off would pull it away unsynced.
bool OtherMountsOnDrive(const ManagedObjects& objects, const QString& drive,
                        const QDBusObjectPath& except) {
  for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
    if (it.key() == except || !it.value().contains(kFilesystem)) continue;
    if (DriveOf(it.value()) == drive && !MountPoints(it.value()).isEmpty()) return true;
  }
  return false;
}

}  // namespace

EjectResult UDisksEjector::Eject(const std::string& root) {
  qDBusRegisterMetaType<InterfaceProperties>();
  qDBusRegisterMetaType<ManagedObjects>();

  const QDBusMessage listing =
      bus_.call(QDBusMessage::createMethodCall(kService, kManagerPath, kObjectManager,
                                               QStringLiteral("GetManagedObjects")),
                QDBus::Block, kCallTimeoutMilliseconds);
  if (listing.type() != QDBusMessage::ReplyMessage || listing.arguments().isEmpty()) {
    return {false, SystemReason("システムのディスク管理 (UDisks2) に問い合わせできませんでした.",
                                listing.errorMessage())};
  }
  const ManagedObjects objects = PropertyAs<ManagedObjects>(listing.arguments().constFirst());

  const QByteArray wanted = QByteArray::fromStdString(root);
  std::optional<QDBusObjectPath> block;
  for (auto it = objects.cbegin(); it != objects.cend() && !block; ++it) {
    if (MountPoints(it.value()).contains(wanted)) block = it.key();
  }
  if (!block) return {false, kNotManaged + root};

  // No options: the system may ask the user to authorise the unmount.
  QDBusMessage unmount = QDBusMessage::createMethodCall(kService, block->path(), kFilesystem,
                                                        QStringLiteral("Unmount"));
  unmount << QVariantMap();
  const QDBusMessage unmounted = bus_.call(unmount, QDBus::Block, kCallTimeoutMilliseconds);
  if (unmounted.type() != QDBusMessage::ReplyMessage)
    return {false, SystemReason("マウントを解除できませんでした.", unmounted.errorMessage())};

  const QString drive = DriveOf(objects.value(*block));
  const QVariantMap drive_properties = objects.value(QDBusObjectPath(drive)).value(kDrive);
  const bool can_power_off =
      drive != kNoDrive && PropertyAs<bool>(drive_properties.value(QStringLiteral("CanPowerOff")));
  if (!can_power_off || OtherMountsOnDrive(objects, drive, *block)) return {true, {}};

  QDBusMessage power_off =
      QDBusMessage::createMethodCall(kService, drive, kDrive, QStringLiteral("PowerOff"));
  power_off << QVariantMap();
  const QDBusMessage powered_off = bus_.call(power_off, QDBus::Block, kCallTimeoutMilliseconds);
  if (powered_off.type() != QDBusMessage::ReplyMessage) {
    return {true, SystemReason("ドライブが電源を切る求めに応じませんでした.", powered_off.errorMessage())};
  }
  return {true, {}};
}

bool UDisksEjector::ServiceAnswers() const {
  if (!bus_.isConnected()) return false;
  const QDBusMessage names = bus_.call(
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                     QStringLiteral("/org/freedesktop/DBus"),
                                     QStringLiteral("org.freedesktop.DBus"),
                                     QStringLiteral("ListActivatableNames")));
  if (names.type() == QDBusMessage::ReplyMessage && !names.arguments().isEmpty() &&
      names.arguments().constFirst().toStringList().contains(kService)) {
    return true;
  }
  const QDBusConnectionInterface* bus_names = bus_.interface();
  return bus_names != nullptr && bus_names->isServiceRegistered(kService).value();
}

}  // namespace tarvello
