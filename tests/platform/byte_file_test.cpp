#include <fcntl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "fakes/fake_platform.h"
#include "platform/posix/posix_byte_file.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

using fakes::TempDir;
using fakes::WriteFile;

// Bytes whose value tells their position, so a wrong offset shows.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

class ByteFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    content_ = Pattern(3 * PosixByteFile::kMaxWindowSize + 1234);
    WriteFile(path_, content_);
  }

  std::string ReadAt(ByteFile& file, int64_t position, size_t count) {
    file.Seek(position);
    std::string bytes(count, '\0');
    bytes.resize(file.Read(bytes.data(), count));
    return bytes;
  }

  TempDir dir_;
  std::string path_ = dir_.Path("song.m4a");
  std::string content_;
  PosixFileSystem files_;
};

TEST_F(ByteFileTest, ReportsSizeAndReadsAcrossWindowBoundaries) {
  auto file = files_.OpenRead(path_);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), static_cast<int64_t>(content_.size()));
  const int64_t edge = PosixByteFile::kMaxWindowSize;
  EXPECT_EQ(ReadAt(*file, edge - 3, 8), content_.substr(edge - 3, 8));
  EXPECT_EQ(file->Position(), edge + 5);
  EXPECT_EQ(ReadAt(*file, 10, 4), content_.substr(10, 4));  // backwards, out of the window
  EXPECT_EQ(ReadAt(*file, 2 * edge + 100, 3 * edge), content_.substr(2 * edge + 100));
  // A read larger than the window goes past several boundaries in one call.
  EXPECT_EQ(ReadAt(*file, 1, content_.size()), content_.substr(1));
}

TEST_F(ByteFileTest, SequentialReadsMatchTheFile) {
  auto file = files_.OpenRead(path_);
  ASSERT_NE(file, nullptr);
  std::string all;
  char chunk[13];
  while (size_t got = file->Read(chunk, sizeof chunk)) all.append(chunk, got);
  EXPECT_EQ(all, content_);
}

TEST_F(ByteFileTest, ManySmallReadsCostFewSystemReads) {
  auto file = files_.OpenRead(path_);
  ASSERT_NE(file, nullptr);
  const uint64_t before = files_.SystemReadCount();
  // The tag reader's way: 8-byte headers, small skips, re-reads of what it just passed.
  char header[8];
  for (int64_t position = 0; position + 8 <= 60000; position += 40) {
    file->Seek(position);
    ASSERT_EQ(file->Read(header, sizeof header), sizeof header);
    ASSERT_EQ(std::string(header, 8), content_.substr(position, 8));
    file->Seek(position > 16 ? position - 16 : 0);
    ASSERT_EQ(file->Read(header, 4), 4u);
  }
  // The window doubles from its first size: 60,000 bytes take five fills.
  EXPECT_LE(files_.SystemReadCount() - before, 5u);
}

TEST_F(ByteFileTest, WindowStartsSmallGrowsGoingOnAndShrinksAfterAJump) {
  auto file = files_.OpenRead(path_);
  ASSERT_NE(file, nullptr);
  uint64_t bytes = files_.SystemReadBytes();
  EXPECT_EQ(ReadAt(*file, 0, 8), content_.substr(0, 8));
  EXPECT_EQ(ReadAt(*file, 3000, 8), content_.substr(3000, 8));
  // A song's first boxes cost one small read, not a large window.
  EXPECT_EQ(files_.SystemReadBytes() - bytes, PosixByteFile::kFirstWindowSize);
  // A jump over cover art reads only a little after it.
  bytes = files_.SystemReadBytes();
  EXPECT_EQ(ReadAt(*file, 100000, 8), content_.substr(100000, 8));
  EXPECT_EQ(files_.SystemReadBytes() - bytes, PosixByteFile::kSkipWindowSize);
  // Reading on, box after box, the windows grow again up to the largest size.
  const uint64_t reads = files_.SystemReadCount();
  for (int64_t position = 100000; position < 180000; position += 4000) {
    ASSERT_EQ(ReadAt(*file, position, 8), content_.substr(position, 8));
  }
  EXPECT_LE(files_.SystemReadCount() - reads, 6u);
  // So do jumps back, after which the small window is right again.
  bytes = files_.SystemReadBytes();
  EXPECT_EQ(ReadAt(*file, 20000, 8), content_.substr(20000, 8));
  EXPECT_EQ(files_.SystemReadBytes() - bytes, PosixByteFile::kSkipWindowSize);
}

TEST_F(ByteFileTest, SeekPastTheEndReadsNothing) {
  auto file = files_.OpenRead(path_);
  ASSERT_NE(file, nullptr);
  const int64_t size = file->Size();
  EXPECT_EQ(ReadAt(*file, size + 1000, 8), "");
  EXPECT_EQ(file->Position(), size + 1000);
  EXPECT_EQ(ReadAt(*file, size - 3, 8), content_.substr(size - 3));
  EXPECT_EQ(file->Position(), size);
  EXPECT_EQ(ReadAt(*file, -5, 8), "");  // a negative position reads nothing either
}

TEST_F(ByteFileTest, EmptyFileReadsNothing) {
  WriteFile(dir_.Path("empty"), "");
  auto file = files_.OpenRead(dir_.Path("empty"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 0);
  char byte;
  EXPECT_EQ(file->Read(&byte, 1), 0u);
}

TEST_F(ByteFileTest, MissingFilesAndFoldersDoNotOpen) {
  EXPECT_EQ(files_.OpenRead(dir_.Path("missing")), nullptr);
  EXPECT_EQ(files_.OpenRead(dir_.path()), nullptr);
  EXPECT_EQ(files_.OpenRead(""), nullptr);
}

TEST(ByteFileErrorTest, ReadErrorsThrowTheSystemsMessageAndThePath) {
  // A process's own memory at offset 0 is unmapped: reading it fails with an I/O error.
  const int fd = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  PosixByteFile file(fd, 100, std::make_shared<SystemReadCounter>(), "/proc/self/mem");
  char byte;
  try {
    file.Read(&byte, 1);
    ADD_FAILURE() << "no error";
  } catch (const FileError& error) {
    EXPECT_EQ(error.what(), std::system_category().message(EIO) + "\r\n/proc/self/mem");
  }
}

TEST_F(ByteFileTest, OpenErrorsNameTheSystemsReason) {
  const struct {
    std::string path;
    int error;
  } cases[] = {{dir_.Path("missing"), ENOENT}, {dir_.path(), EISDIR}, {"", ENOENT}};
  for (const auto& c : cases) {
    try {
      files_.OpenReadOrThrow(c.path);
      ADD_FAILURE() << c.path << " opened";
    } catch (const FileError& error) {
      EXPECT_EQ(error.what(), std::system_category().message(c.error) + "\r\n" + c.path);
    }
  }
  EXPECT_NE(files_.OpenReadOrThrow(path_), nullptr);
}

TEST_F(ByteFileTest, ReadCountAddsUpOverFiles) {
  const uint64_t before = files_.SystemReadCount();
  for (int i = 0; i < 3; ++i) {
    auto file = files_.OpenRead(path_);
    ASSERT_NE(file, nullptr);
    char byte;
    ASSERT_EQ(file->Read(&byte, 1), 1u);
  }
  EXPECT_EQ(files_.SystemReadCount() - before, 3u);
}

}  // namespace
}  // namespace tarvello
