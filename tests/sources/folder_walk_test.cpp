// A whole folder's songs: natural order, hidden entries and non-music files left out,
// link loops walked once.

#include <gtest/gtest.h>

#include <filesystem>

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
  EXPECT_FALSE(result.cancelled);
}

TEST(FolderWalkTest, ACancelStopsBetweenFolders) {
  fakes::TempDir dir;
  fakes::WriteFile(dir.Path("a/1.mp3"), "");
  fakes::WriteFile(dir.Path("b/2.mp3"), "");
  int asked = 0;
  const auto natural = MakeNaturalCollator();
  const FolderWalkResult result =
      WalkMusicFolder(dir.path(), *natural, [&] { return ++asked > 2; });
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.songs, std::vector<std::string>{dir.Path("a/1.mp3")});
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
