#include "platform/posix/posix_write_time.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>

#include "platform/posix/posix_descriptor.h"
#include "platform/write_time.h"

namespace tarvello {
namespace {

constexpr int64_t kCoarsestStep = 2 * kNanosecondsPerSecond;  // FAT

// The file system magic numbers of statfs(2) whose time steps are known.
constexpr unsigned long kMsdosMagic = 0x4d44;
constexpr unsigned long kExfatMagic = 0x2011bab0;
constexpr unsigned long kNtfsMagic = 0x5346544e;
constexpr unsigned long kNanosecondMagics[] = {
    0xef53,      // ext2, ext3, ext4
    0x01021994,  // tmpfs
    0x58465342,  // xfs
    0x9123683e,  // btrfs
    0xf2f52010,  // f2fs
};

int64_t StepOfType(unsigned long type) {
  if (type == kMsdosMagic) return kCoarsestStep;
  if (type == kExfatMagic) return 10'000'000;
  if (type == kNtfsMagic) return 100;
  for (const unsigned long magic : kNanosecondMagics) {
    if (type == magic) return 1;
  }
  // FUSE does not tell which file system it serves: it may be FAT.
  return kCoarsestStep;
}

int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

bool Holds(const struct stat& info, std::time_t time, const std::string& path) {
  const int64_t wanted = static_cast<int64_t>(time) * kNanosecondsPerSecond;
  const int64_t read = Nanoseconds(info.st_mtim);
  // Most file systems keep the time exactly; the step is looked up only when they do not.
  return read == wanted || WriteTimeKept(wanted, read, WriteTimeStepOf(path));
}

}  // namespace

int64_t WriteTimeStepOf(const std::string& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) return kCoarsestStep;
  return StepOfType(static_cast<unsigned long>(info.f_type));
}

FileChange SetKeptWriteTime(FileCalls& calls, const std::string& path, std::time_t time) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileChange::Refused(errno);
  // Both times given: some FUSE file systems take an omitted access time as a reason to
  // set the time of the call.
  const struct timespec times[2] = {info.st_atim, {time, 0}};
  if (calls.SetTimes(path.c_str(), times) != 0) return FileChange::Refused(errno);
  if (::stat(path.c_str(), &info) != 0) return FileChange::Refused(errno);
  if (Holds(info, time, path)) return FileChange::Done();
  // Some keep a time only when it is given through an open file.
  Descriptor file(calls.Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.valid() && calls.SetTimesOpen(file.get(), times) == 0 &&
      ::fstat(file.get(), &info) == 0 && Holds(info, time, path)) {
    return FileChange::Done();
  }
  return FileChange::Unkept(ChangeFault::kTimeNotKept);
}

}  // namespace tarvello
