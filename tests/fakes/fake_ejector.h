#pragma once

// An eject that takes the volume off the fake volume list, or refuses as the system does.

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "platform/platform.h"

namespace tarvello::fakes {

class FakeEjector : public VolumeEjector {
 public:
  explicit FakeEjector(FakeVolumes& volumes) : volumes_(volumes) {}

  // Non-empty: the unmount is refused with this reason and nothing changes.
  std::string unmount_refusal;
  // Non-empty: the volume is unmounted, but powering its drive off is refused.
  std::string power_off_refusal;
  // The roots asked for, in order.
  std::vector<std::string> asked;

  EjectResult Eject(const std::string& root) override {
    asked.push_back(root);
    if (!unmount_refusal.empty()) return {false, unmount_refusal};
    volumes_.At(root).removed = true;
    return {true, power_off_refusal};
  }

 private:
  FakeVolumes& volumes_;
};

}  // namespace tarvello::fakes
