#include "platform/posix/posix_stored_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/posix/posix_descriptor.h"

namespace tarvello {
namespace {

// O_DIRECT wants buffers, offsets and lengths aligned to the device's block size; a page
// suits every card.
constexpr size_t kAlignment = 4096;
constexpr size_t kChunk = 4 << 20;

struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};

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

}  // namespace

std::optional<ContentHash> HashFileFromMedium(const std::string& path) {
  Descriptor buffered(OpenRetrying(path, 0));
  if (!buffered.valid()) return std::nullopt;
  ::posix_fadvise(buffered.get(), 0, 0, POSIX_FADV_DONTNEED);
  ::posix_fadvise(buffered.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  // Some file systems (tmpfs, FUSE) refuse O_DIRECT at open, some at the first read.
  Descriptor direct(OpenRetrying(path, O_DIRECT));
  std::unique_ptr<char, FreeDeleter> buffer(
      static_cast<char*>(std::aligned_alloc(kAlignment, kChunk)));
  if (!buffer) return std::nullopt;
  ContentHasher hasher;
  int fd = direct.valid() ? direct.get() : buffered.get();
  off_t offset = 0;
  for (;;) {
    ssize_t got = ReadAt(fd, buffer.get(), kChunk, offset);
    if (got < 0 && errno == EINVAL && fd == direct.get()) {
      fd = buffered.get();
      got = ReadAt(fd, buffer.get(), kChunk, offset);
    }
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    hasher.Add(buffer.get(), static_cast<size_t>(got));
    offset += got;
  }
  return hasher.Digest();
}

}  // namespace tarvello
