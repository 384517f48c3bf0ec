#pragma once

// The Linux platform: real volumes, files and environment in one bundle.

#include "platform/platform.h"
#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_volumes.h"

namespace tarvello {

class PosixPlatform {
 public:
  PosixPlatform() = default;
  PosixPlatform(const PosixPlatform&) = delete;
  PosixPlatform& operator=(const PosixPlatform&) = delete;

  Platform& Get() { return platform_; }
  PosixFileSystem& files() { return files_; }

 private:
  PosixVolumes volumes_;
  PosixFileSystem files_;
  PosixEnvironment environment_;
  Platform platform_{volumes_, files_, environment_};
};

}  // namespace tarvello
