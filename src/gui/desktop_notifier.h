#pragma once

// A desktop notification through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus): the pop-up a desktop shows for a
// program that is not in front.

#include <QDBusConnection>
#include <QString>

namespace tarvello {

class DesktopNotifier {
 public:
  // `bus`: the bus on which the notification service answers (the session bus).
  explicit DesktopNotifier(QDBusConnection bus) : bus_(std::move(bus)) {}

  // Sends the notification without waiting for the service, so a slow or missing one
  // never holds the window up. False when the bus is not there.
  bool Notify(const QString& summary, const QString& body);

 private:
  QDBusConnection bus_;
};

}  // namespace tarvello
