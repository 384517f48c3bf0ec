#pragma once

// A file read through a read-ahead window, so the many tiny reads and seeks of the tag
// reader cost a handful of system reads.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarvello {

class PosixByteFile : public ByteFile {
 public:
  static constexpr size_t kWindowSize = 64 * 1024;

  // Takes ownership of `fd`, the file at `path`; every system read adds one to
  // `read_count`.
  PosixByteFile(int fd, int64_t size, std::shared_ptr<uint64_t> read_count, std::string path);
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
  // Fills the window with the bytes around position_; false at the end of the file.
  bool FillWindow();

  int fd_;
  int64_t size_;
  int64_t position_ = 0;
  std::vector<char> window_;  // allocated on the first buffered read
  int64_t window_start_ = 0;
  size_t window_length_ = 0;
  std::shared_ptr<uint64_t> read_count_;
  std::string path_;
};

}  // namespace tarvello
