#pragma once

// The system calls whose answers the file operations check, or whose fallbacks they take.
// A file system may answer yes and not do what was asked (some FUSE file systems set the
// time of the call for a time given by name), and may refuse what another takes (O_DIRECT
// on tmpfs or FUSE). Tests hand the file operations calls that behave like such file
// systems; the program uses these, which pass everything to the system.

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarvello {

class FileCalls {
 public:
  virtual ~FileCalls() = default;

  // open(2), retried when interrupted.
  virtual int Open(const char* path, int flags) {
    int fd;
    do {
      fd = ::open(path, flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
  }
  // pread(2), retried when interrupted.
  virtual ssize_t ReadAt(int fd, void* buffer, size_t count, off_t offset) {
    for (;;) {
      const ssize_t got = ::pread(fd, buffer, count, offset);
      if (got >= 0 || errno != EINTR) return got;
    }
  }
  // posix_fadvise over the whole file; it returns the error rather than setting errno.
  virtual int Advise(int fd, int advice) { return ::posix_fadvise(fd, 0, 0, advice); }
  // utimensat(2) on a path, following a final symbolic link.
  virtual int SetTimes(const char* path, const struct timespec times[2]) {
    return ::utimensat(AT_FDCWD, path, times, 0);
  }
  // futimens(3) on an open file.
  virtual int SetTimesOpen(int fd, const struct timespec times[2]) { return ::futimens(fd, times); }
  // renameat2(2) with `flags`; rename(2) when there are none.
  virtual int Rename(const char* from, const char* to, unsigned int flags) {
    if (flags == 0) return ::rename(from, to);
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
  }
  virtual int SyncFileSystem(int fd) { return ::syncfs(fd); }
  virtual int SyncFile(int fd) { return ::fsync(fd); }
};

}  // namespace tarvello
