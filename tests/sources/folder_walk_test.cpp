// A whole folder's songs: natural order, hidden entries and non-music files left out,
// link loops walked once.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "sources/folder_walk.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

TEST(FolderWalkTest, SongsComeInNaturalOrderWithAlbumsTogether) {
  fakes::TempDir dir;
  for (const char* name :
       {"10 ten.mp3", "2 two.flac", "1 one.m4a", "Album 10/1 a.ogg", "Album 2/10 b.mp3",
        "Album 2/9 a.MP3", "Album 2/cover.jpg", "Album 2/album.cue", "notes.txt", ".hidden.mp3",
        ".git/objects/x.mp3", "Album 2/Disc 1/3 c.opus", "z.wav"}) {
    fakes::WriteFile(dir.Path(name), "");
  }
  // A link back up and a link to a sibling: each folder is walked once.
  fs::create_directory_symlink(dir.path(), dir.Path("Album 10/loop"));
  fs::create_directory_symlink(dir.Path("Album 2"), dir.Path("Album 10/again"));
  fs::create_symlink(dir.Path("missing.mp3"), dir.Path("dangling.mp3"));

  const auto natural = MakeNaturalCollator();
  const FolderWalkResult result = WalkMusicFolder(dir.path() + "/", *natural);
  const std::vector<std::string> expected = {
      dir.Path("1 one.m4a"),        dir.Path("2 two.flac"),
      dir.Path("10 ten.mp3"),       dir.Path("Album 2/9 a.MP3"),
      dir.Path("Album 2/10 b.mp3"), dir.Path("Album 2/Disc 1/3 c.opus"),
      dir.Path("Album 10/1 a.ogg"), dir.Path("z.wav"),
  };
  EXPECT_EQ(result.songs, expected);
  EXPECT_EQ(result.passed_over, 3);
  EXPECT_TRUE(result.unreadable.empty());
}

TEST(FolderWalkTest, SongsComeInSlicesThatJoinIntoTheWholeWalk) {
  fakes::TempDir dir;
  std::vector<std::string> expected;
  for (int album = 1; album <= 3; ++album) {
    for (int song = 1; song <= 7; ++song) {
      const std::string name = "A" + std::to_string(album) + "/" + std::to_string(song) + " s.mp3";
      fakes::WriteFile(dir.Path(name), "");
      expected.push_back(dir.Path(name));
    }
    fakes::WriteFile(dir.Path("A" + std::to_string(album) + "/cover.jpg"), "");
  }
  const auto natural = MakeNaturalCollator();
  for (size_t slice : {1, 2, 5, 7, 100}) {
    FolderWalk walk(dir.path(), *natural);
    std::vector<std::string> songs;
    int found_before = 0;
    while (!walk.Finished()) {
      const std::vector<std::string> next = walk.NextSongs(slice);
      // Only the end of the walk gives a short slice.
      if (!walk.Finished()) {
        EXPECT_EQ(next.size(), slice);
      }
      EXPECT_EQ(walk.SongsFound(), found_before + static_cast<int>(next.size()));
      found_before = walk.SongsFound();
      songs.insert(songs.end(), next.begin(), next.end());
    }
    EXPECT_EQ(songs, expected) << slice;
    EXPECT_EQ(walk.PassedOver(), 3);
    EXPECT_TRUE(walk.NextSongs(slice).empty());
    EXPECT_EQ(walk.Folder(), "");
  }
  // A walk left after its first slice has not yet looked into the later folders.
  FolderWalk stopped(dir.path(), *natural);
  EXPECT_EQ(stopped.NextSongs(3).size(), 3u);
  EXPECT_EQ(stopped.Folder(), dir.Path("A1"));
  EXPECT_EQ(stopped.PassedOver(), 0);
}

TEST(FolderWalkTest, AFolderThatCannotBeReadIsNotedOnceAndTheRestIsWalked) {
  fakes::TempDir dir;
  const auto natural = MakeNaturalCollator();
  const FolderWalkResult missing = WalkMusicFolder(dir.Path("gone"), *natural);
  EXPECT_TRUE(missing.songs.empty());
  EXPECT_EQ(missing.unreadable, std::vector<std::string>{dir.Path("gone")});

  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  fakes::WriteFile(dir.Path("a/1.mp3"), "");
  fakes::WriteFile(dir.Path("b/2.mp3"), "");
  fakes::WriteFile(dir.Path("b/3.mp3"), "");
  fakes::WriteFile(dir.Path("c/4.mp3"), "");
  fs::permissions(dir.Path("b"), fs::perms::none);
  const FolderWalkResult result = WalkMusicFolder(dir.path(), *natural);
  fs::permissions(dir.Path("b"), fs::perms::owner_all);
  EXPECT_EQ(result.songs, (std::vector<std::string>{dir.Path("a/1.mp3"), dir.Path("c/4.mp3")}));
  EXPECT_EQ(result.unreadable, std::vector<std::string>{dir.Path("b")});
}

TEST(FolderWalkTest, MusicIsKnownByItsExtensionInAnyCase) {
  for (const char* name :
       {"a.mp3", "b.FLAC", "c.m4a", "d.Opus", "e.wav", "f.aiff", "g.wma", "h.3G2"}) {
    EXPECT_TRUE(IsMusicFileName(name)) << name;
  }
  for (const char* name :
       {"cover.jpg", "album.cue", "notes.txt", "mp3", ".mp3", "list.xml", "x.m3u"}) {
    EXPECT_FALSE(IsMusicFileName(name)) << name;
  }
}

}  // namespace
}  // namespace tarvello
