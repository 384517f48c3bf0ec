#pragma once

// A card that claims more room than it has: it takes every write and reports success,
// but whatever lands past its real size is lost (it reads back as zeros), as with the
// counterfeit cards sold by the capacity printed on them.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"

namespace tarvello::fakes {

class FakeCapacityCard : public LockingFileSystem {
 public:
  explicit FakeCapacityCard(int64_t real_size) : real_size_(real_size) {}

  bool CopyFile(const std::string& from, const std::string& to) override {
    return LockingFileSystem::CopyFile(from, to) && Drop(to);
  }
  std::optional<ContentHash> CopyFileHashing(const std::string& from,
                                             const std::string& to) override {
    const std::optional<ContentHash> sent = LockingFileSystem::CopyFileHashing(from, to);
    if (sent) Drop(to);
    return sent;
  }
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override {
    return LockingFileSystem::WriteWholeFile(path, bytes) && Drop(path);
  }

  // Bytes written so far, the lost ones included.
  int64_t written() const { return written_; }

 private:
  // Zeros the part of the file just written that lies past the real size.
  bool Drop(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    const int64_t kept = std::clamp<int64_t>(real_size_ - written_, 0, size);
    const std::vector<char> zeros(static_cast<size_t>(size - kept), '\0');
    const bool ok = ::pwrite(fd, zeros.data(), zeros.size(), kept) ==
                    static_cast<ssize_t>(zeros.size());
    ::close(fd);
    written_ += size;
    return ok;
  }

  int64_t real_size_;
  int64_t written_ = 0;
};

}  // namespace tarvello::fakes
