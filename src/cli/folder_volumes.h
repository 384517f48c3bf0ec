#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_volumes.h"

namespace tarvello::cli {

// The CLI's card is any folder: it is measured by the volume that holds it, and a
// folder that a card has left behind has no medium.
class FolderVolumes : public Volumes {
 public:
  std::vector<VolumeEntry> List() override { return volumes_.List(); }
  std::optional<VolumeSpace> Measure(const std::string& root) override {
    return volumes_.MeasureFolder(root);
  }
  bool HoldsFolder(const std::string& root, const std::string& folder) override {
    return volumes_.HoldsFolder(root, folder);
  }

 private:
  PosixVolumes volumes_;
};

}  // namespace tarvello::cli
