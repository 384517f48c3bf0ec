// The output folder as a song source: which files are read, in the listing's order, the
// song limit and locked files.

#include "sources/output_folder_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "sources/source_test.h"

namespace tarvello {
namespace {

class ReadFolderSongsTest : public testing::SourceTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_);
    for (int i = 0; i < 3; ++i) CopySong("SDS_000" + std::to_string(i) + ".3G2");
    fakes::WriteFile(folder_ + "/SD_F_000.MGR", std::string(9632, '\0'));
    CopySong(".hidden.3G2");
    std::filesystem::create_directories(folder_ + "/sub.3G2");
  }
  void CopySong(const std::string& name) {
    std::filesystem::copy_file(TestSong("tagged.m4a"), folder_ + "/" + name);
  }
  SourceMessages Read() {
    return ReadFolderSongs(files_, names_, temp_.path() + "/", folder_, table_, staging_);
  }
  std::set<std::string> Paths() const {
    std::set<std::string> paths;
    for (int32_t i = 0; i < table_.TrackCount(); ++i) paths.emplace(FieldText(table_[i].FileName));
    return paths;
  }

  std::string folder_ = temp_.Path("card/PRIVATE/AU/DF/D_SD");
};

TEST_F(ReadFolderSongsTest, SongsOnlyUnderTheirFolderPaths) {
  files_.locked.insert(folder_ + "/SDS_0001.3G2");      // read through a temporary copy
  files_.unreadable.insert(folder_ + "/SDS_0000.3G2");  // passed over without a message
  EXPECT_TRUE(Read().empty());
  EXPECT_EQ(Paths(), (std::set<std::string>{folder_ + "/SDS_0001.3G2", folder_ + "/SDS_0002.3G2"}));
  EXPECT_EQ(TempEntryCount(), 1u);  // the card's folder only: the copy is gone again
}

TEST_F(ReadFolderSongsTest, TheSongLimitStopsTheListingOnce) {
  FillToOneBelowTheLimit();
  EXPECT_EQ(Read(), std::vector<std::string>{TrackLimitText()});
  EXPECT_EQ(table_.TrackCount(), kMaxTracks);
}

}  // namespace
}  // namespace tarvello
