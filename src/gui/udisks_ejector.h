#pragma once

// Ejecting a volume on a Linux desktop the way its file manager does: UDisks2, reached
// over the system bus, unmounts the volume's file system and then powers its drive off
// where the drive allows it.

#include <QDBusConnection>
#include <string>

#include "platform/platform.h"

namespace tarvello {

class UDisksEjector : public VolumeEjector {
 public:
  // `bus`: the bus on which the UDisks2 service answers (the system bus on a desktop).
  explicit UDisksEjector(QDBusConnection bus) : bus_(std::move(bus)) {}

  EjectResult Eject(const std::string& root) override;

  // True when the bus is there and the UDisks2 service runs or can be started on it;
  // without it the eject is not offered.
  bool ServiceAnswers() const;

 private:
  QDBusConnection bus_;
};

}  // namespace tarvello
