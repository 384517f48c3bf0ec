#include "common/common_routine.h"

namespace tarvello {

std::string GetTempFolder(Environment& environment) {
  std::string folder;
  for (const char* name : {"TEMP", "TMPDIR"}) {
    if (auto value = environment.GetVariable(name); value && !value->empty()) {
      folder = *value;
      break;
    }
  }
  if (folder.empty()) folder = "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::vector<VolumeEntry> GetDriveLetters(Volumes& volumes) {
  return volumes.List();
}

}  // namespace tarvello
