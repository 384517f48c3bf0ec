// The hash cache file: what survives a save and a load, and that any damage to the file
// costs its records, never gives a wrong one.

#include "output/hash_cache.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using fakes::ReadFile;
using fakes::TempDir;
using fakes::WriteFile;

const FileStatus kStatus{{1, 2}, 5, 1700000000123456789};
const ContentRecord kRecord{HashBytes("hello"), SampleOfBytes("hello")};

TEST(HashCacheTest, KeepsRecordsWhileSizeAndTimeHoldAndDropsAnyDamagedFile) {
  TempDir folder;
  fakes::LockingFileSystem files;
  const std::string path = folder.Path("hashes/volume.txt");
  HashCache saved;
  saved.Put("/PRIVATE/a name with blanks.3G2", kStatus, kRecord);
  saved.Put("/line\nbreak", kStatus, kRecord);  // not kept: it would break the lines
  ASSERT_TRUE(saved.Save(files, path));
  const std::string good = ReadFile(path);

  HashCache loaded;
  loaded.Load(files, path);
  EXPECT_EQ(loaded.Size(), 1u);
  EXPECT_EQ(loaded.Find("/PRIVATE/a name with blanks.3G2", kStatus), kRecord);
  FileStatus touched = kStatus;
  touched.write_time_ns += 1;
  EXPECT_FALSE(loaded.Find("/PRIVATE/a name with blanks.3G2", touched).has_value());

  std::string digit_changed = good;
  digit_changed[40] = digit_changed[40] == '0' ? '1' : '0';  // inside the first hash
  const std::string damaged[] = {good.substr(0, good.size() / 2), digit_changed, "",
                                 "tarvello hashes 1\nend 0\n",
                                 std::string(good).replace(good.find(" 5 "), 3, " 6 ")};
  for (const std::string& bytes : damaged) {
    WriteFile(path, bytes);
    loaded.Load(files, path);
    EXPECT_EQ(loaded.Size(), 0u) << bytes;
  }
}

// Records of the earlier format hold samples of 64 KB: against a sample of today's size
// each would fail a moved song that is whole. Such a file, however sound, is ignored.
TEST(HashCacheTest, AFileOfAnEarlierFormatIsIgnoredWhole) {
  TempDir folder;
  fakes::LockingFileSystem files;
  const std::string path = folder.Path("volume.txt");
  HashCache saved;
  saved.Put("/PRIVATE/SDS_0000.3G2", kStatus, kRecord);
  ASSERT_TRUE(saved.Save(files, path));
  const std::string current = ReadFile(path);
  const size_t header_end = current.find('\n') + 1;
  const size_t last_line = current.rfind('\n', current.size() - 2) + 1;
  const std::string body =
      "tarvello hashes 1\n" + current.substr(header_end, last_line - header_end);
  WriteFile(path, body + "end " + HashText(HashBytes(body)) + "\n");

  HashCache loaded;
  loaded.Load(files, path);
  EXPECT_EQ(loaded.Size(), 0u);
  EXPECT_FALSE(loaded.Find("/PRIVATE/SDS_0000.3G2", kStatus).has_value());

  WriteFile(path, current);  // the same record in today's format is found
  loaded.Load(files, path);
  EXPECT_EQ(loaded.Find("/PRIVATE/SDS_0000.3G2", kStatus), kRecord);
}

}  // namespace
}  // namespace tarvello
