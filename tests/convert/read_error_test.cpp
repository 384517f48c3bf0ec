// A song whose reading fails once (an I/O error) is reported as unreadable with the
// system's message: it is neither converted nor taken as it is.

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "convert/convert_in_order.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

TEST(ReadErrorTest, AFileThatFailsToReadOnceIsUnreadableNeverConverted) {
  fakes::TempDir folder;
  // A card-ready song, and one the walk refuses for its brand, which would be remuxed.
  for (const char* name : {"tagged.m4a", "isom_brand.m4a"}) {
    const std::string path = folder.Path(name);
    fakes::LinkOrCopy(std::string(TARVELLO_TEST_DATA) + "/m4a/" + name, path);
    fakes::LockingFileSystem files;
    files.unreadable_once.insert(path);
    ConvertCache cache(folder.Path("cache"));
    ConvertResult result;
    ConvertInOrder(files, cache, ConvertSettings{}, {path},
                   [&](size_t, const ConvertResult& each) { result = each; });
    SCOPED_TRACE(name);
    EXPECT_EQ(result.action, ConvertAction::kFailed);
    EXPECT_EQ(result.problem, ConvertProblem::kCannotRead);
    EXPECT_NE(result.reason.find(std::system_category().message(EIO)), std::string::npos);
    EXPECT_TRUE(result.song_path.empty());
    EXPECT_TRUE(fakes::FileNamesIn(cache.Folder()).empty());
  }
}

}  // namespace
}  // namespace tarvello
