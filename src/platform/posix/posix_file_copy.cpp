#include "platform/posix/posix_file_copy.h"

#include <sys/sendfile.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace tarvello {
namespace {

constexpr size_t kChunk = 1 << 20;

// Errors that only mean "this way of copying does not work for these files".
bool Unsupported(int error) {
  return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
         error == EBADF || error == ETXTBSY || error == EPERM;
}

enum class Outcome { kDone, kUnsupported, kFailed };

Outcome CopyByRange(int in, int out) {
  for (;;) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
    if (copied > 0) continue;
    // Some file systems report 0 before the end; the plain loop confirms the end.
    if (copied == 0) return Outcome::kUnsupported;
    if (errno == EINTR) continue;
    return Unsupported(errno) ? Outcome::kUnsupported : Outcome::kFailed;
  }
}

Outcome CopyBySendfile(int in, int out) {
  for (;;) {
    const ssize_t copied = ::sendfile(out, in, nullptr, kChunk);
    if (copied > 0) continue;
    if (copied == 0) return Outcome::kUnsupported;
    if (errno == EINTR) continue;
    return Unsupported(errno) ? Outcome::kUnsupported : Outcome::kFailed;
  }
}

bool WriteAll(int out, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(out, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool CopyByReadWrite(int in, int out, ContentHasher* hasher = nullptr) {
  static constexpr size_t kBufferSize = 1 << 20;
  std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  for (;;) {
    const ssize_t got = ::read(in, buffer.get(), kBufferSize);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (hasher != nullptr) hasher->Add(buffer.get(), static_cast<size_t>(got));
    if (!WriteAll(out, buffer.get(), static_cast<size_t>(got))) return false;
  }
}

}  // namespace

bool CopyFileContents(int in, int out) {
  // Each way continues from the offsets the previous one reached.
  Outcome outcome = CopyByRange(in, out);
  if (outcome == Outcome::kUnsupported) outcome = CopyBySendfile(in, out);
  if (outcome == Outcome::kFailed) return false;
  if (outcome == Outcome::kDone) return true;
  return CopyByReadWrite(in, out);
}

bool CopyFileContentsHashing(int in, int out, ContentHasher& hasher) {
  return CopyByReadWrite(in, out, &hasher);
}

}  // namespace tarvello
