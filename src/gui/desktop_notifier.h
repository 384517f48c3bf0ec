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

  // Sends the notification without waiting for the service's answer, so a slow one never
  // holds the window up. False when no notification service runs or can be started.
  bool Notify(const QString& summary, const QString& body);

 private:
  bool ServiceAnswers() const;

  QDBusConnection bus_;
};

}  // namespace tarvello
