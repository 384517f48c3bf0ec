#include "platform/posix/posix_byte_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace tarvello {
namespace {

// Windows start on this boundary, so a step back a few bytes stays inside the window.
constexpr int64_t kWindowAlignment = 512;

}  // namespace

PosixByteFile::PosixByteFile(int fd, int64_t size, std::shared_ptr<SystemReadCounter> counter,
                             std::string path)
    : fd_(fd), size_(size), counter_(std::move(counter)), path_(std::move(path)) {}

PosixByteFile::~PosixByteFile() {
  ::close(fd_);
}

bool PosixByteFile::IsFarFromWindow(int64_t position) const {
  constexpr auto kFar = static_cast<int64_t>(kMaxWindowSize);
  const int64_t window_end = window_start_ + static_cast<int64_t>(window_length_);
  return position < window_start_ - kFar || position >= window_end + kFar;
}

size_t PosixByteFile::ReadAt(void* buffer, size_t count, int64_t offset) {
  for (;;) {
    ++counter_->reads;
    const ssize_t got = ::pread(fd_, buffer, count, static_cast<off_t>(offset));
    if (got >= 0) {
      counter_->bytes += static_cast<uint64_t>(got);
      return static_cast<size_t>(got);
    }
    if (errno != EINTR) throw FileError(errno, path_);
  }
}

bool PosixByteFile::FillWindow() {
  if (!window_) {
    window_ = std::make_unique_for_overwrite<char[]>(kMaxWindowSize);
  } else if (IsFarFromWindow(position_)) {
    // A jump over what the reader never looks at (cover art, say): what follows is
    // usually a few small boxes, not a reason for a larger window.
    next_window_size_ = kSkipWindowSize;
  }
  window_start_ = position_ - position_ % kWindowAlignment;
  window_length_ = ReadAt(window_.get(), next_window_size_, window_start_);
  next_window_size_ = std::min(next_window_size_ * 2, kMaxWindowSize);
  return window_start_ + static_cast<int64_t>(window_length_) > position_;
}

size_t PosixByteFile::Read(void* buffer, size_t count) {
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count && position_ >= 0) {
    const int64_t window_end = window_start_ + static_cast<int64_t>(window_length_);
    if (position_ >= window_start_ && position_ < window_end) {
      const size_t offset = static_cast<size_t>(position_ - window_start_);
      const size_t take = std::min(count - done, window_length_ - offset);
      std::memcpy(out + done, window_.get() + offset, take);
      done += take;
      position_ += static_cast<int64_t>(take);
      continue;
    }
    if (position_ >= size_) break;  // nothing to read; spare the system call
    const size_t wanted = count - done;
    if (wanted >= next_window_size_) {
      // Reads as large as the window go straight into the caller's buffer.
      const size_t got = ReadAt(out + done, wanted, position_);
      if (got == 0) break;
      done += got;
      position_ += static_cast<int64_t>(got);
      continue;
    }
    if (!FillWindow()) break;
  }
  return done;
}

}  // namespace tarvello
