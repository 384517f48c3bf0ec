#pragma once

// The process environment, its folders and the clock on a POSIX system.

#include "platform/platform.h"

namespace tarvello {

class PosixEnvironment : public Environment {
 public:
  std::optional<std::string> GetVariable(const std::string& name) override;
  std::string CurrentDirectory() override;
  std::string ExecutablePath() override;
  std::string HomeDirectory() override;
  std::time_t Now() override;
};

}  // namespace tarvello
