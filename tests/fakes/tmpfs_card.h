#pragma once

// A small tmpfs mounted as a stand-in for a card; mounting needs root, so callers check
// mounted() and skip with a clear line otherwise.

#include <sys/mount.h>

#include <string>

#include "fakes/fake_platform.h"

namespace tarvello::fakes {

class TmpfsCard {
 public:
  explicit TmpfsCard(const std::string& size = "8m") {
    const std::string options = "size=" + size;
    mounted_ = ::mount("tarvello-card", dir_.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~TmpfsCard() {
    if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& root() const { return dir_.path(); }

 private:
  TempDir dir_;
  bool mounted_ = false;
};

}  // namespace tarvello::fakes
