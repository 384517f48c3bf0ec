// A folder's adding in slices of time: every slice moves it on, and its lines name the
// folder at hand and the folders that could not be read.

#include "sources/folder_adding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

class FolderAddingTest : public ::testing::Test {
 protected:
  AddContext Context() {
    return {fake_.files,
            temp_names_,
            temp_.path() + "/",
            table_,
            *staging_,
            {},
            [this](const std::string& text) { reports_.push_back(text); }};
  }
  std::string Song(const char* name) const {
    return std::string(TARVELLO_TEST_DATA) + "/m4a/" + name;
  }

  fakes::FakePlatform fake_;
  fakes::TempDir temp_;
  fakes::TempDir music_;
  TempNameCounter temp_names_;
  TrackTable table_;
  std::unique_ptr<TTrackInfo> staging_ = std::make_unique<TTrackInfo>();
  std::vector<std::string> reports_;
  std::unique_ptr<TextCollator> natural_ = MakeNaturalCollator();
};

TEST_F(FolderAddingTest, SlicesThatAreAlreadyOverStillMoveTheAddingOnUntilItEnds) {
  for (int song = 1; song <= 70; ++song) {
    fakes::LinkOrCopy(Song("tagged.m4a"), music_.Path(std::to_string(song) + ".m4a"));
  }
  fakes::WriteFile(music_.Path("not a song.mp3"), "no");
  AddContext context = Context();
  RefusalList refused;
  context.refuse = [&refused](const RefusedFile& file) { refused.Add(file); };
  FolderAdding adding(context, music_.path(), *natural_);
  int calls = 0;
  int handled = 0;
  while (!adding.Ended()) {
    const bool walked = !adding.Walking();
    adding.Continue(FolderAdding::Clock::now());
    ++calls;
    if (walked) {
      // Each slice once the walk is over handles one song at least.
      EXPECT_GT(adding.SongsHandled(), handled);
      handled = adding.SongsHandled();
    }
    ASSERT_LT(calls, 200);
  }
  EXPECT_GT(calls, 2);
  EXPECT_EQ(adding.SongsFound(), 71);
  EXPECT_EQ(adding.SongsHandled(), 71);
  EXPECT_EQ(adding.SongsAdded(), 70);
  EXPECT_EQ(table_.TrackCount(), 70);
  EXPECT_FALSE(refused.Empty());
  EXPECT_EQ(FolderAddingSummary(adding), "");
  EXPECT_EQ(
      FolderAddingLabel(adding),
      "追加しています... 71 / 71 曲  " + std::filesystem::path(music_.path()).filename().string());
}

TEST_F(FolderAddingTest, AFolderThatCannotBeReadGetsOneLine) {
  AddContext context = Context();
  FolderAdding adding(context, music_.Path("gone"), *natural_);
  adding.Continue(FolderAdding::Clock::now() + std::chrono::seconds(1));
  EXPECT_TRUE(adding.Ended());
  EXPECT_EQ(FolderAddingSummary(adding), "読めないフォルダがあります: " + music_.Path("gone"));
  EXPECT_TRUE(reports_.empty());
}

}  // namespace
}  // namespace tarvello
