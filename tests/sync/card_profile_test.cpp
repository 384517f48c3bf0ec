#include "sync/card_profile.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "sync/saved_list.h"

namespace tarvello {
namespace {

CardProfile Profile() {
  CardProfile profile;
  profile.volume = "uuid-1234";
  profile.sources = {
      {CardSourceKind::kPlayerPlaylist, {}, "Rhythmbox", "Morning #2"},
      {CardSourceKind::kLibraryPlaylist, "/home/me/iTunes Music Library.xml", {}, "90年代"},
      {CardSourceKind::kFolder, "/media/music/Jazz", {}, {}},
      {CardSourceKind::kPlaylistFile, "/home/me/a=b.m3u8", {}, {}},
      {CardSourceKind::kSavedList, "/home/me/.local/share/tarvello/card-lists/x.m3u8", {}, {}},
  };
  profile.output.prefix = "SDS";
  profile.output.title_format = 2;
  profile.output.separator = 5;
  profile.output.backup = false;
  profile.output.bit_rate_kbps = 96;
  profile.auto_update = true;
  return profile;
}

// Saved, loaded and forgotten through the settings file, beside what others wrote there.
TEST(CardProfile, KeptInItsOwnSectionOfTheSettingsFile) {
  fakes::TempDir dir;
  fakes::LockingFileSystem files;
  const std::string path = dir.Path("tarvello-extra.ini");
  const std::string others = "[Card]\nverify=1\n\n[Conversion]\nkbps=160\n";
  fakes::WriteFile(path, others);
  ASSERT_TRUE(SaveCardProfile(files, path, Profile()));
  EXPECT_EQ(LoadCardProfile(files, path, "uuid-1234"), Profile());
  const std::string text = files.ReadWholeFile(path).value_or("");
  const ExtraSettings read = ExtraSettings::Parse(text);
  EXPECT_EQ(read.Get("Card", "verify"), "1");
  EXPECT_EQ(read.Get("Conversion", "kbps"), "160");
  EXPECT_EQ(ProfileVolumes(read), std::vector<std::string>{"uuid-1234"});
  // Human-readable: one key per line, the sources by kind, path and name.
  for (const char* line :
       {"[Card profile uuid-1234]\n", "source.1.player=Rhythmbox\n", "source.2.name=90年代\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  ASSERT_TRUE(ForgetCardProfile(files, path, "uuid-1234"));
  EXPECT_FALSE(LoadCardProfile(files, path, "uuid-1234"));
  EXPECT_EQ(files.ReadWholeFile(path), others);
}

TEST(CardProfile, TextsTheFileCannotKeepChangeNothing) {
  ExtraSettings settings;
  for (const char* bad : {"/media/bad\nname", "/media/\xFF"}) {
    CardProfile profile = Profile();
    profile.sources[2].path = bad;
    EXPECT_FALSE(PutProfile(settings, profile)) << bad;
  }
  EXPECT_EQ(settings.Write(), "");
}

TEST(CardProfile, OddValuesReadAsTheDefaults) {
  const ExtraSettings settings = ExtraSettings::Parse(
      "[Card profile X]\nbitrate=100\ntitle_format=9\nbackup=yes\nsource.1.kind=folder\n"
      "source.1.path=/m\nsource.2.kind=cloud\nsource.3.kind=folder\n");
  const std::optional<CardProfile> profile = ProfileOf(settings, "X");
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->output.bit_rate_kbps, kDefaultBitRateKbps);
  EXPECT_EQ(profile->output.title_format, 0);
  EXPECT_TRUE(profile->output.backup);
  EXPECT_FALSE(profile->auto_update);
  // A kind a later version knows is passed over; the sources after it are kept.
  ASSERT_EQ(profile->sources.size(), 2u);
  EXPECT_EQ(profile->sources[0].path, "/m");
}

TEST(CardProfile, ACardWithoutIdentityHasNone) {
  fakes::TempDir dir;
  fakes::LockingFileSystem files;
  EXPECT_FALSE(CardIdentity(files, dir.path()));
  files.volume_names[dir.path()] = "uuid-77";
  EXPECT_EQ(CardIdentity(files, dir.path()), "uuid-77");
}

TEST(CardProfile, TheProgramsOptionsFillWhatTheProfileLeaves) {
  TOutputOptions program;
  program.OutDir = "\\MUSIC";
  program.Ext = "M4A";
  const TOutputOptions options = OutputOptionsFor(Profile().output, program);
  EXPECT_EQ(options.OutDir, "\\MUSIC");
  EXPECT_EQ(options.Ext, "M4A");
  EXPECT_EQ(options.Prefix, "SDS");
  EXPECT_EQ(options.TitleFormat, 2);
  EXPECT_EQ(options.Separator, 5);
  EXPECT_FALSE(options.BackupBeforeOutput);
}

TEST(SavedList, TheMarkedSongsBecomeTheCardsListFile) {
  fakes::TempDir dir;
  fakes::LockingFileSystem files;
  const std::optional<CardSource> source =
      SaveMarkedList(files, dir.path(), "uuid-1", {"/m/a b.m4a", "/m/c#1.mp3"});
  ASSERT_TRUE(source);
  EXPECT_EQ(source->kind, CardSourceKind::kSavedList);
  EXPECT_EQ(files.ReadWholeFile(source->path), "#EXTM3U\n/m/a b.m4a\n/m/c#1.mp3\n");
  EXPECT_EQ(SaveMarkedList(files, dir.path(), "uuid-1", {"/m/x.m4a"})->path, source->path);
}

}  // namespace
}  // namespace tarvello
