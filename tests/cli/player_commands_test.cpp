// tarvello-cli over playlist files and the players' playlists: tracklist with an M3U8,
// players, and playlist --player, in chosen XDG folders.

#include <gmock/gmock.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunCli;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kFixtures = std::string(TARVELLO_TEST_DATA) + "/m4a/";

class PlayerCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_DATA_HOME", temp_.Path("data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", temp_.Path("config").c_str(), 1);
    ::setenv("HOME", temp_.path().c_str(), 1);
    fakes::WriteFile(temp_.Path("data/rhythmbox/playlists.xml"),
                     "<?xml version=\"1.0\"?>\n<rhythmdb-playlists>\n"
                     "<playlist name=\"Auto\" type=\"automatic\"/>\n"
                     "<playlist name=\"Drive\" type=\"static\">\n"
                     "<location>file://" + kFixtures + "tagged.m4a</location>\n"
                     "<location>file:///nowhere/gone.m4a</location>\n"
                     "<location>http://podcast.example/a.mp3</location>\n"
                     "</playlist>\n</rhythmdb-playlists>\n");
    // Not a database: reported on standard error, the others still listed.
    fakes::WriteFile(temp_.Path("config/Clementine/clementine.db"), "not a database");
  }

  fakes::TempDir temp_;
};

TEST_F(PlayerCommandsTest, PlayersListsEachPlaylistAndNamesABrokenDatabase) {
  const CliResult result = RunCli({"players"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_THAT(result.OutLines(),
              ElementsAre(R"({"player":"Rhythmbox","name":"Drive","entries":3})"));
  EXPECT_THAT(result.err, StartsWith("tarvello-cli: Clementine: " +
                                     temp_.Path("config/Clementine/clementine.db")));
}

TEST_F(PlayerCommandsTest, PlaylistOfAPlayerGivesRecordsThenMissingAndSkipped) {
  const CliResult result = RunCli({"playlist", "--player", "rhythmbox", "Drive"});
  EXPECT_EQ(result.exit_status, 0);
  const std::vector<std::string> lines = result.OutLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_THAT(lines[0], HasSubstr("\"path\":\"" + kFixtures + "tagged.m4a\""));
  EXPECT_EQ(lines[1], R"({"missing":"/nowhere/gone.m4a","reason":"not found"})");
  EXPECT_EQ(lines[2], R"({"skipped":"http://podcast.example/a.mp3","reason":"network address"})");

  EXPECT_EQ(RunCli({"playlist", "--player", "Rhythmbox", "Auto"}).exit_status, 1);
  EXPECT_EQ(RunCli({"playlist", "--player", "Rhythmbox", "Drive", "extra"}).exit_status, 2);
}

TEST_F(PlayerCommandsTest, TracklistReadsPlaylistFiles) {
  const std::string list = temp_.Path("lists/mix.m3u8");
  fakes::WriteFile(list, "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:1,x\r\n" + kFixtures +
                             "japanese.m4a\r\n../lists\r\nC:\\a.m4a\r\n");
  const CliResult result = RunCli({"tracklist", list});
  EXPECT_EQ(result.exit_status, 0);
  const std::vector<std::string> lines = result.OutLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_THAT(lines[0], HasSubstr("japanese.m4a"));
  EXPECT_EQ(lines[1], "{\"skipped\":\"" + temp_.Path("lists") + "\",\"reason\":\"folder\"}");
  EXPECT_EQ(lines[2], R"({"missing":"C:\\a.m4a","reason":"Windows path"})");

  fakes::WriteFile(temp_.Path("notes.txt"), "plain text\n");
  EXPECT_EQ(RunCli({"tracklist", temp_.Path("notes.txt")}).exit_status, 1);
}

}  // namespace
}  // namespace tarvello
