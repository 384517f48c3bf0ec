#include "platform/posix/posix_mount_watcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tarvello {

PosixMountWatcher::PosixMountWatcher(const char* path)
    : fd_(::open(path, O_RDONLY | O_CLOEXEC)) {
  if (fd_ >= 0) ReadThrough();
}

PosixMountWatcher::~PosixMountWatcher() {
  if (fd_ >= 0) ::close(fd_);
}

bool PosixMountWatcher::Acknowledge() {
  if (fd_ < 0) return false;
  // The poll of the event loop already took the signal; the file tells what changed.
  std::string before = std::move(contents_);
  ReadThrough();
  return contents_ != before;
}

void PosixMountWatcher::ReadThrough() {
  contents_.clear();
  char buffer[16384];
  if (::lseek(fd_, 0, SEEK_SET) < 0) return;
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got > 0) {
      contents_.append(buffer, static_cast<size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    return;
  }
}

}  // namespace tarvello
