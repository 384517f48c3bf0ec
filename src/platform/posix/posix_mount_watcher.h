#pragma once

// Watches /proc/self/mountinfo: poll() reports POLLPRI on it once for each change of the
// mounts; the file's contents tell whether anything listed changed.

#include <string>

#include "platform/platform.h"

namespace tarvello {

class PosixMountWatcher : public MountWatcher {
 public:
  explicit PosixMountWatcher(const char* path = "/proc/self/mountinfo");
  ~PosixMountWatcher() override;
  PosixMountWatcher(const PosixMountWatcher&) = delete;
  PosixMountWatcher& operator=(const PosixMountWatcher&) = delete;

  int Handle() const override { return fd_; }
  bool Acknowledge() override;

 private:
  // Reads the whole file into contents_.
  void ReadThrough();

  int fd_ = -1;
  std::string contents_;
};

}  // namespace tarvello
