#include "gui/desktop_notifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "version.h"

namespace tarvello {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// The server chooses how long the notification stays.
constexpr qint32 kServerTimeout = -1;

}  // namespace

bool DesktopNotifier::ServiceAnswers() const {
  if (!bus_.isConnected()) return false;
  const QDBusConnectionInterface* bus = bus_.interface();
  return bus->isServiceRegistered(kService) ||
         bus->activatableServiceNames().value().contains(kService);
}

bool DesktopNotifier::Notify(const QString& summary, const QString& body) {
  if (!ServiceAnswers()) return false;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  const QString desktop_id = QString::fromLatin1(kDesktopFileId);
  // The desktop entry names the program and its icon for the notification server.
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), desktop_id);
  call << QStringLiteral("Tarvello") << quint32{0} << desktop_id << summary << body << QStringList()
       << hints << kServerTimeout;
  return bus_.send(call);
}

}  // namespace tarvello
