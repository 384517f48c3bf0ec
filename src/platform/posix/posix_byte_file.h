#pragma once

// A file read through a read-ahead window, so the many tiny reads and seeks of the tag
// reader cost a handful of system reads. The window starts small, since a song's boxes
// before its media data usually take a few kilobytes, and doubles with each refill for
// files that need more. A jump far ahead (over cover art) or back starts a small window
// again, so the bytes skipped are never read and the few boxes after them cost little.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace tarvello {

// What the files of one file system read from the system.
struct SystemReadCounter {
  uint64_t reads = 0;
  uint64_t bytes = 0;
};

class PosixByteFile : public ByteFile {
 public:
  static constexpr size_t kFirstWindowSize = 4 * 1024;
  static constexpr size_t kMaxWindowSize = 64 * 1024;
  static constexpr size_t kSkipWindowSize = 1024;

  // Takes ownership of `fd`, the file at `path`; every system read is added to `counter`.
  PosixByteFile(int fd, int64_t size, std::shared_ptr<SystemReadCounter> counter, std::string path);
  ~PosixByteFile() override;
  PosixByteFile(const PosixByteFile&) = delete;
  PosixByteFile& operator=(const PosixByteFile&) = delete;

  size_t Read(void* buffer, size_t count) override;
  void Seek(int64_t position) override { position_ = position; }
  int64_t Position() const override { return position_; }
  int64_t Size() const override { return size_; }

 private:
  // Reads at `offset` straight from the file; 0 at the end. Throws FileError with the
  // system's message and the path.
  size_t ReadAt(void* buffer, size_t count, int64_t offset);
  // True when `position` lies a largest window's length or more away from the window.
  bool IsFarFromWindow(int64_t position) const;
  // Fills the window with the bytes from just before position_; false at the end.
  bool FillWindow();

  int fd_;
  int64_t size_;
  int64_t position_ = 0;
  std::unique_ptr<char[]> window_;  // kMaxWindowSize bytes, allocated on the first fill
  size_t next_window_size_ = kFirstWindowSize;
  int64_t window_start_ = 0;
  size_t window_length_ = 0;
  std::shared_ptr<SystemReadCounter> counter_;
  std::string path_;
};

}  // namespace tarvello
