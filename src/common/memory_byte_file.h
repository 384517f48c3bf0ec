#pragma once

// Bytes in memory read as a file: for scanners fed from a buffer (fuzzing, measuring).

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/platform.h"

namespace tarvello {

class MemoryByteFile : public ByteFile {
 public:
  // The bytes must outlive the file.
  explicit MemoryByteFile(std::string_view bytes) : bytes_(bytes) {}

  size_t Read(void* buffer, size_t count) override {
    if (position_ >= bytes_.size()) return 0;
    const size_t available = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, available);
    position_ += available;
    return available;
  }
  void Seek(int64_t position) override {
    position_ = position < 0 ? 0 : static_cast<size_t>(position);
  }
  int64_t Position() const override { return static_cast<int64_t>(position_); }
  int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

}  // namespace tarvello
