// The hashing copy and the read-back from the medium agree with a hash of the bytes
// themselves, for sizes around the read and alignment boundaries.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

using fakes::TempDir;
using fakes::WriteFile;

TEST(StoredFileTest, CopyHashAndReadBackHashMatchTheBytesAtEverySize) {
  TempDir dir;
  PosixFileSystem files;
  std::mt19937 random(7);
  for (const size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{4097},
                            size_t{(1 << 20) + 3}, size_t{(4 << 20) + 512}}) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    WriteFile(dir.Path("from"), bytes);

    const auto sent = files.CopyFileHashing(dir.Path("from"), dir.Path("to"));

    ASSERT_TRUE(sent.has_value()) << size;
    EXPECT_EQ(*sent, HashBytes(bytes)) << size;
    EXPECT_EQ(fakes::ReadFile(dir.Path("to")), bytes) << size;
    EXPECT_EQ(files.HashStoredFile(dir.Path("to")), HashBytes(bytes)) << size;
  }
  WriteFile(dir.Path("to"), "other");
  EXPECT_NE(files.HashStoredFile(dir.Path("to")), HashBytes("others"));
  EXPECT_FALSE(files.HashStoredFile(dir.Path("missing")).has_value());
  EXPECT_FALSE(files.CopyFileHashing(dir.Path("missing"), dir.Path("to")).has_value());
}

TEST(StoredFileTest, LastWriteTimeIsWhatWasSet) {
  TempDir dir;
  PosixFileSystem files;
  WriteFile(dir.Path("song"), "x");
  ASSERT_TRUE(files.SetLastWriteTime(dir.Path("song"), 1600000000));
  EXPECT_EQ(files.LastWriteTime(dir.Path("song")), 1600000000);
  EXPECT_FALSE(files.LastWriteTime(dir.Path("missing")).has_value());
}

}  // namespace
}  // namespace tarvello
