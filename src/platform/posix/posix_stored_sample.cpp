#include "platform/posix/posix_stored_sample.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/posix/posix_descriptor.h"

namespace tarvello {
namespace {

// O_DIRECT reads must start and end on the device's logical block: 512 bytes on most
// cards, 4096 on some. The buffer is aligned for either.
constexpr int64_t kBlockSizes[] = {512, 4096};
constexpr size_t kBufferAlignment = 4096;
// O_NONBLOCK: a named pipe under the song's name must not wait for a writer.
constexpr int kPlainFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};

int64_t AlignDown(int64_t value, int64_t block) {
  return value / block * block;
}
int64_t AlignUp(int64_t value, int64_t block) {
  return AlignDown(value + block - 1, block);
}

class SampleReader {
 public:
  SampleReader(FileCalls& calls, const std::string& path) : calls_(calls), path_(path) {}

  // Opens the file, directly where the file system allows it; false when it cannot be
  // opened or is no regular file.
  bool Open() {
    fd_ = std::make_unique<Descriptor>(calls_.Open(path_.c_str(), kPlainFlags | O_DIRECT));
    if (!fd_->valid()) return OpenPlain();
    struct stat info {};
    if (::fstat(fd_->get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size_ = info.st_size;
    return true;
  }

  int64_t size() const { return size_; }

  // Adds the `count` bytes at `offset` to the hasher; false on an error or a file that
  // ended early.
  bool Add(ContentHasher& hasher, int64_t offset, int64_t count) {
    if (count <= 0) return true;
    while (direct_) {
      const int64_t block = kBlockSizes[block_index_];
      const int64_t start = AlignDown(offset, block);
      const int64_t length = AlignUp(offset + count, block) - start;
      const ssize_t got = ReadAll(start, length);
      if (got >= 0) {
        if (got < offset + count - start) return false;
        hasher.Add(buffer_.get() + (offset - start), static_cast<size_t>(count));
        return true;
      }
      if (errno != EINVAL || !NextWayOfReading()) return false;
    }
    if (ReadAll(offset, count) != count) return false;
    hasher.Add(buffer_.get(), static_cast<size_t>(count));
    return true;
  }

 private:
  bool OpenPlain() {
    direct_ = false;
    fd_ = std::make_unique<Descriptor>(calls_.Open(path_.c_str(), kPlainFlags));
    struct stat info {};
    if (!fd_->valid() || ::fstat(fd_->get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size_ = info.st_size;
    // The bytes must come from the card, and only those asked for.
    calls_.Advise(fd_->get(), POSIX_FADV_DONTNEED);
    calls_.Advise(fd_->get(), POSIX_FADV_RANDOM);
    return true;
  }

  // After a direct read was refused: a larger block, else the plain way.
  bool NextWayOfReading() {
    if (++block_index_ < std::size(kBlockSizes)) return true;
    return OpenPlain();
  }

  // Reads `count` bytes at `offset` into the buffer, fewer at the end of the file; -1 on
  // an error, with errno set. A direct read's aligned end may lie past the file's: what
  // lies before it is all there is to read.
  ssize_t ReadAll(int64_t offset, int64_t count) {
    if (!Reserve(static_cast<size_t>(count))) {
      errno = ENOMEM;
      return -1;
    }
    const int64_t wanted = std::min(count, size_ - offset);
    int64_t done = 0;
    while (done < wanted) {
      const ssize_t got = calls_.ReadAt(fd_->get(), buffer_.get() + done,
                                        static_cast<size_t>(count - done), offset + done);
      if (got < 0) return -1;
      if (got == 0) break;
      done += got;
    }
    return static_cast<ssize_t>(done);
  }

  bool Reserve(size_t count) {
    if (count <= capacity_) return true;
    const auto capacity =
        static_cast<size_t>(AlignUp(static_cast<int64_t>(count), kBufferAlignment));
    buffer_.reset(static_cast<char*>(std::aligned_alloc(kBufferAlignment, capacity)));
    capacity_ = buffer_ ? capacity : 0;
    return buffer_ != nullptr;
  }

  FileCalls& calls_;
  const std::string& path_;
  std::unique_ptr<Descriptor> fd_;
  bool direct_ = true;
  size_t block_index_ = 0;
  int64_t size_ = 0;
  std::unique_ptr<char, FreeDeleter> buffer_;
  size_t capacity_ = 0;
};

}  // namespace

std::optional<FileSample> SampleFileFromMedium(FileCalls& calls, const std::string& path) {
  SampleReader reader(calls, path);
  if (!reader.Open()) return std::nullopt;
  const SampleRanges ranges = SampleRangesOf(reader.size());
  ContentHasher hasher;
  if (!reader.Add(hasher, 0, ranges.head) || !reader.Add(hasher, ranges.tail_offset, ranges.tail)) {
    return std::nullopt;
  }
  return FileSample{reader.size(), hasher.Digest()};
}

}  // namespace tarvello
