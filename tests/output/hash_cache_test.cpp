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

class HashCacheTest : public ::testing::Test {
 protected:
  // The file of a cache that holds `names`, each with kStatus and kRecord.
  std::string Saved(std::initializer_list<const char*> names) {
    HashCache saved;
    for (const char* name : names) saved.Put(name, kStatus, kRecord);
    EXPECT_TRUE(saved.Save(files_, path_));
    return ReadFile(path_);
  }
  // The cache, whatever it held, after a load of a file that holds `bytes`.
  HashCache& Loaded(const std::string& bytes) {
    WriteFile(path_, bytes);
    loaded_.Load(files_, path_);
    return loaded_;
  }

  TempDir folder_;
  fakes::LockingFileSystem files_;
  const std::string path_ = folder_.Path("hashes/volume.txt");
  HashCache loaded_;
};

TEST_F(HashCacheTest, KeepsRecordsWhileSizeAndTimeHoldAndDropsAnyDamagedFile) {
  // A name with a line break is not kept: it would break the lines.
  const std::string good = Saved({"/PRIVATE/a name with blanks.3G2", "/line\nbreak"});
  HashCache& loaded = Loaded(good);
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
  // Each load drops what the cache held, the first one the record above.
  for (const std::string& bytes : damaged) EXPECT_EQ(Loaded(bytes).Size(), 0u) << bytes;
}

// Records of the earlier format hold samples of 64 KB: against a sample of today's size
// each would fail a moved song that is whole. Such a file, however sound, is ignored.
TEST_F(HashCacheTest, AFileOfAnEarlierFormatIsIgnoredWhole) {
  const std::string current = Saved({"/PRIVATE/SDS_0000.3G2"});
  const size_t header_end = current.find('\n') + 1;
  const size_t last_line = current.rfind('\n', current.size() - 2) + 1;
  const std::string body =
      "tarvello hashes 1\n" + current.substr(header_end, last_line - header_end);

  HashCache& earlier = Loaded(body + "end " + HashText(HashBytes(body)) + "\n");
  EXPECT_EQ(earlier.Size(), 0u);
  EXPECT_FALSE(earlier.Find("/PRIVATE/SDS_0000.3G2", kStatus).has_value());
  // The same record in today's format is found.
  EXPECT_EQ(Loaded(current).Find("/PRIVATE/SDS_0000.3G2", kStatus), kRecord);
}

}  // namespace
}  // namespace tarvello
