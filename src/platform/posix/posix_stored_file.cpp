#include "platform/posix/posix_stored_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <future>
#include <memory>

#include "platform/posix/posix_descriptor.h"

namespace tarvello {
namespace {

// O_DIRECT wants buffers, offsets and lengths aligned to the device's block size; a page
// suits every card. Large blocks keep the device streaming between requests.
constexpr size_t kAlignment = 4096;
constexpr size_t kBlock = 8 << 20;

struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};
using AlignedBlock = std::unique_ptr<char, FreeDeleter>;

AlignedBlock NewBlock(size_t size) {
  return AlignedBlock(static_cast<char*>(std::aligned_alloc(kAlignment, size)));
}

int OpenRetrying(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Reads at `offset`; -1 on an error other than an interruption.
ssize_t ReadAt(int fd, char* buffer, size_t count, off_t offset) {
  for (;;) {
    const ssize_t got = ::pread(fd, buffer, count, offset);
    if (got >= 0 || errno != EINTR) return got;
  }
}

// A file read from its medium: with O_DIRECT where the file system takes it. Some file
// systems (tmpfs, FUSE) refuse O_DIRECT at open, some at the first read; those are read
// plainly, after their cached pages are dropped.
class MediumReader {
 public:
  explicit MediumReader(const std::string& path)
      : buffered_(OpenRetrying(path, 0)),
        direct_(buffered_.valid() ? OpenRetrying(path, O_DIRECT) : -1),
        fd_(direct_.valid() ? direct_.get() : buffered_.get()) {
    ::posix_fadvise(buffered_.get(), 0, 0, POSIX_FADV_DONTNEED);
    ::posix_fadvise(buffered_.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    struct stat status {};
    if (buffered_.valid() && ::fstat(buffered_.get(), &status) == 0) {
      size_ = static_cast<size_t>(status.st_size);
    }
  }

  bool valid() const { return buffered_.valid(); }
  // The kernel pins every page a read asks for, so no read asks for more than the file.
  size_t block_size() const { return std::max(kAlignment, std::min(kBlock, Aligned(size_))); }
  bool AtEnd(off_t offset) const { return static_cast<size_t>(offset) >= size_; }

  // The block at `offset`, up to the size the file had when it was opened: its length,
  // 0 at the end, -1 on an error.
  ssize_t Read(char* block, off_t offset) {
    if (AtEnd(offset)) return 0;
    const size_t count = std::min(block_size(), Aligned(size_ - static_cast<size_t>(offset)));
    ssize_t got = ReadAt(fd_, block, count, offset);
    if (got < 0 && errno == EINVAL && fd_ == direct_.get()) {
      fd_ = buffered_.get();
      got = ReadAt(fd_, block, count, offset);
    }
    return got;
  }

 private:
  Descriptor buffered_;
  Descriptor direct_;
  int fd_;
  size_t size_ = 0;

  static size_t Aligned(size_t size) { return (size + kAlignment - 1) / kAlignment * kAlignment; }
};

}  // namespace

std::optional<ContentHash> HashFileFromMedium(const std::string& path) {
  MediumReader reader(path);
  if (!reader.valid()) return std::nullopt;
  AlignedBlock blocks[2] = {NewBlock(reader.block_size()), nullptr};
  if (!blocks[0]) return std::nullopt;
  ContentHasher hasher;
  int current = 0;
  off_t offset = 0;
  ssize_t got = reader.Read(blocks[current].get(), offset);
  while (got > 0) {
    offset += got;
    if (reader.AtEnd(offset)) {
      hasher.Add(blocks[current].get(), static_cast<size_t>(got));
      break;
    }
    if (!blocks[1]) blocks[1] = NewBlock(reader.block_size());
    if (!blocks[1]) return std::nullopt;
    // The medium delivers the next block while this one is hashed.
    std::future<ssize_t> next = std::async(std::launch::async, [&reader, &blocks, current, offset] {
      return reader.Read(blocks[1 - current].get(), offset);
    });
    hasher.Add(blocks[current].get(), static_cast<size_t>(got));
    got = next.get();
    current = 1 - current;
  }
  if (got < 0) return std::nullopt;
  return hasher.Digest();
}

}  // namespace tarvello
