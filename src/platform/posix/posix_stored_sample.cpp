#include "platform/posix/posix_stored_sample.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/posix_descriptor.h"

namespace tarvello {
namespace {

// Reads exactly `count` bytes at `offset` into the hasher; false on an error or a file
// that ended early.
bool AddRange(int fd, ContentHasher& hasher, int64_t offset, int64_t count,
              std::vector<char>& buffer) {
  buffer.resize(static_cast<size_t>(count));
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = ::pread(fd, buffer.data() + done, buffer.size() - done,
                                static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  hasher.Add(buffer.data(), buffer.size());
  return true;
}

}  // namespace

std::optional<FileSample> SampleFileFromMedium(const std::string& path) {
  int opened;
  do {
    opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  } while (opened < 0 && errno == EINTR);
  Descriptor fd(opened);
  struct stat info {};
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
  ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_RANDOM);
  const SampleRanges ranges = SampleRangesOf(info.st_size);
  ContentHasher hasher;
  std::vector<char> buffer;
  if (!AddRange(fd.get(), hasher, 0, ranges.head, buffer) ||
      !AddRange(fd.get(), hasher, ranges.tail_offset, ranges.tail, buffer)) {
    return std::nullopt;
  }
  return FileSample{info.st_size, hasher.Digest()};
}

}  // namespace tarvello
