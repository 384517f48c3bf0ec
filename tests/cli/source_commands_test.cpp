// tarvello-cli's song-source subcommands run as a program: playlists, playlist, tracklist
// and folder, with what they print and their exit status.

#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "fakes/fake_platform.h"
#include "sources/library_builder.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunCli;
using testing::BuildLibrary;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kFixtures = std::string(TARVELLO_TEST_DATA) + "/m4a/";

class SourceCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes::WriteFile(
        library_,
        BuildLibrary({{1, "one", "AAC audio file", "file://" + kFixtures + "tagged.m4a"},
                      {2, "mp3", "MPEG audio file"},
                      {3, "three", "AAC audio file"}},
                     {{"\xE2\x99\xAA Mix &#38; more", {3, 2, 1, 3}}, {"Empty", {}, false}}));
  }

  fakes::TempDir temp_;
  std::string library_ = temp_.Path("library.xml");
};

TEST_F(SourceCommandsTest, PlaylistsGivesNamesInUtf8AndTrackIds) {
  const CliResult result = RunCli({"playlists", library_});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(result.OutLines(),
              ElementsAre(R"({"name":"♪ Mix &#38; more","track_ids":["3","2","1","3"]})",
                          R"({"name":"Empty","track_ids":[]})"));
  EXPECT_EQ(RunCli({"playlists", temp_.Path("none.xml")}).exit_status, 1);
  EXPECT_EQ(RunCli({"playlists"}).exit_status, 2);
}

TEST_F(SourceCommandsTest, TrackIdsAreTextAsTheLibraryWritesThem) {
  fakes::WriteFile(temp_.Path("ids.xml"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                   "<dict>\n<key>Playlists</key>\n<array>\n<dict>\n"
                   "<key>Name</key><string>Z</string>\n<key>Playlist Items</key>\n<array>\n"
                   "<dict>\n<key>Track ID</key><integer>0123</integer>\n</dict>\n"
                   "<dict>\n<key>Track ID</key><integer>99999999999999999999</integer>\n"
                   "</dict>\n</array>\n</dict>\n</array>\n</dict>\n</plist>\n");
  const CliResult result = RunCli({"playlists", temp_.Path("ids.xml")});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(result.OutLines(),
              ElementsAre(R"({"name":"Z","track_ids":["0123","99999999999999999999"]})"));
}

TEST_F(SourceCommandsTest, PlaylistGivesTheRecordsOfAnImport) {
  const CliResult result = RunCli({"playlist", library_, "\xE2\x99\xAA Mix &#38; more"});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  const std::vector<std::string> lines = result.OutLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_THAT(lines[0], HasSubstr(R"("Title":"three")"));
  EXPECT_THAT(lines[1], HasSubstr(R"("FileName":")" + kFixtures + "tagged.m4a\""));
  EXPECT_THAT(lines[2], HasSubstr(R"("TrackID":3)"));
  const CliResult missing = RunCli({"playlist", library_, "Nope"});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_THAT(missing.err, HasSubstr("Nope"));
}

TEST_F(SourceCommandsTest, TracklistAndFolder) {
  const std::string rmp = temp_.Path("a.rmp");
  fakes::WriteFile(rmp,
                   "<?xml version=\"1.0\"?>\n<PACKAGE>\n<TRACKLIST>\n<TRACK>\n"
                   "<TITLE>listed</TITLE>\n<DURATION>245</DURATION>\n</TRACK>\n</TRACKLIST>\n");
  const CliResult list = RunCli({"tracklist", rmp});
  EXPECT_EQ(list.exit_status, 0) << list.err;
  ASSERT_EQ(list.OutLines().size(), 1u);
  EXPECT_THAT(list.out, HasSubstr(R"("Time":245)"));
  const CliResult refused = RunCli({"tracklist", library_ + ".missing"});
  EXPECT_EQ(refused.exit_status, 1);
  const CliResult not_a_list = RunCli({"tracklist", kFixtures + "tagged.m4a"});
  EXPECT_EQ(not_a_list.exit_status, 1);
  EXPECT_THAT(not_a_list.err, HasSubstr("追加できる曲情報ではありません."));

  const std::string folder = temp_.Path("D_SD");
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(kFixtures + "tagged.m4a", folder + "/SDS_0000.3G2");
  fakes::WriteFile(folder + "/SD_F_000.MGR", std::string(9632, '\0'));
  const CliResult songs = RunCli({"folder", folder + "/"});
  EXPECT_EQ(songs.exit_status, 0) << songs.err;
  ASSERT_EQ(songs.OutLines().size(), 1u);
  EXPECT_THAT(songs.out, HasSubstr(folder + "/SDS_0000.3G2"));
  EXPECT_EQ(RunCli({"folder", temp_.Path("none")}).exit_status, 1);

  // A device attribute opens but refuses every read: listed, named, and the status says so.
  const char* device = "/sys/class/net/lo/speed";
  if (std::filesystem::exists(device)) {
    std::filesystem::create_symlink(device, folder + "/SDS_0001.3G2");
    const CliResult failing = RunCli({"folder", folder});
    EXPECT_EQ(failing.exit_status, 1);
    EXPECT_EQ(failing.OutLines().size(), 2u);
    EXPECT_THAT(failing.err, HasSubstr(folder + "/SDS_0001.3G2: "));
  }
}

}  // namespace
}  // namespace tarvello
