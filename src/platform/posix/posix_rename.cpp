#include "platform/posix/posix_rename.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "platform/posix/posix_descriptor.h"

namespace tarvello {
namespace {

// Renames without replacing. Where the file system cannot refuse replacement itself, an
// existing `to` (even a dangling symbolic link) refuses it here.
int RenameWithoutReplacing(FileCalls& calls, const std::string& from, const std::string& to) {
  if (calls.Rename(from.c_str(), to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) {
    errno = EEXIST;
    return -1;
  }
  if (errno != ENOENT) return -1;
  return calls.Rename(from.c_str(), to.c_str(), 0);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

FileChange CheckRenamed(const struct stat& moved, const std::string& from, const std::string& to) {
  struct stat now {};
  if (::lstat(to.c_str(), &now) != 0 || now.st_dev != moved.st_dev || now.st_ino != moved.st_ino) {
    return FileChange::Unkept(ChangeFault::kTargetNotMoved);
  }
  // On a file system that ignores case, a name that differs only in case still finds the
  // moved file: that is no name left behind.
  const bool gone = ::lstat(from.c_str(), &now) != 0 && errno == ENOENT;
  if (!gone && !SameIgnoringCase(from, to)) return FileChange::Unkept(ChangeFault::kSourceLeft);
  return FileChange::Done();
}

}  // namespace

FileChange RenameKept(FileCalls& calls, const std::string& from, const std::string& to,
                      bool replace) {
  if (from.empty() || to.empty()) return FileChange::Refused(ENOENT);
  // Held (O_PATH opens nothing on the file system) so that the file keeps its number
  // until it is compared: FAT numbers a file afresh each time it is read in.
  const Descriptor held(::open(from.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat moved {};
  if (!held.valid() || ::fstat(held.get(), &moved) != 0) return FileChange::Refused(errno);
  const int renamed =
      replace ? calls.Rename(from.c_str(), to.c_str(), 0) : RenameWithoutReplacing(calls, from, to);
  if (renamed != 0) return FileChange::Refused(errno);
  return CheckRenamed(moved, from, to);
}

}  // namespace tarvello
