// What the Linux file system does at the system calls themselves: this program defines
// syncfs and renameat2, so the core's calls land here first (the linker prefers the
// program's own definitions to the C library's) and are passed on to the C library's,
// unless a test asks for the answer of a file system that behaves otherwise.

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_file_system.h"

namespace {

struct SystemCallLog {
  std::vector<dev_t> synced_devices;  // the device of each descriptor given to syncfs
  int syncfs_error = 0;               // nonzero: syncfs fails with this error
  bool renameat2_unsupported = false;  // renameat2 fails as on a file system without flags
  int renameat2_calls = 0;
};

SystemCallLog& Log() {
  static SystemCallLog log;
  return log;
}

template <typename Function>
Function NextDefinition(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int syncfs(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) == 0) Log().synced_devices.push_back(info.st_dev);
  if (Log().syncfs_error != 0) {
    errno = Log().syncfs_error;
    return -1;
  }
  static const auto next = NextDefinition<int (*)(int)>("syncfs");
  return next(fd);
}

extern "C" int renameat2(int old_dir, const char* old_path, int new_dir, const char* new_path,
                         unsigned int flags) {
  ++Log().renameat2_calls;
  if (Log().renameat2_unsupported) {
    errno = EINVAL;
    return -1;
  }
  static const auto next =
      NextDefinition<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
  return next(old_dir, old_path, new_dir, new_path, flags);
}

namespace tarvello {
namespace {

using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;

class SystemCallTest : public ::testing::Test {
 protected:
  void SetUp() override { Log() = {}; }
  void TearDown() override { Log() = {}; }

  TempDir dir_;
  PosixFileSystem files_;
};

TEST_F(SystemCallTest, FlushingAVolumeAsksTheKernelToSyncThatVolumeAndReportsItsFailure) {
  struct stat folder {};
  ASSERT_EQ(::stat(dir_.path().c_str(), &folder), 0);
  ASSERT_TRUE(files_.SyncVolume(dir_.path()));
  EXPECT_EQ(Log().synced_devices, std::vector<dev_t>{folder.st_dev});

  // A card that could not write back its data (a pulled card, a worn one) says so here.
  Log().syncfs_error = EIO;
  EXPECT_FALSE(files_.SyncVolume(dir_.path()));
  EXPECT_EQ(Log().synced_devices.size(), 2u);
}

TEST_F(SystemCallTest, WhereTheFileSystemCannotRefuseReplacementTheMoveStillNeverReplaces) {
  Log().renameat2_unsupported = true;
  WriteFile(dir_.Path("a"), "first");
  WriteFile(dir_.Path("b"), "second");
  EXPECT_FALSE(files_.MoveFile(dir_.Path("a"), dir_.Path("b")));
  EXPECT_EQ(ReadFile(dir_.Path("a")), "first");
  EXPECT_EQ(ReadFile(dir_.Path("b")), "second");
  ASSERT_TRUE(::symlink("nowhere", dir_.Path("link").c_str()) == 0);
  EXPECT_FALSE(files_.MoveFile(dir_.Path("a"), dir_.Path("link")));  // a dangling link too
  ASSERT_TRUE(files_.MoveFile(dir_.Path("a"), dir_.Path("c")));
  EXPECT_FALSE(files_.FileExists(dir_.Path("a")));
  EXPECT_EQ(ReadFile(dir_.Path("c")), "first");
  EXPECT_GE(Log().renameat2_calls, 3);  // every move went through the fallback
}

}  // namespace
}  // namespace tarvello
