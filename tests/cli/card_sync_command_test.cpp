// tarvello-cli card and sync, run as a user runs them. The program is copied into a
// folder of its own, so the settings file it keeps beside itself is the test's.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "cli/cli_runner.h"
#include "fakes/fake_platform.h"
#include "fakes/loop_card.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;
using cli_test::CliResult;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CardSyncCommandTest : public ::testing::Test {
 protected:
  CardSyncCommandTest() {
    fs::create_directories(dir_.Path("bin"));
    fs::create_directories(Music());
    const fs::path built(TARVELLO_CLI_PATH);
    fs::copy_file(built, dir_.Path("bin/tarvello-cli"));
    fs::copy_file(built.parent_path() / "tarvello-convert", dir_.Path("bin/tarvello-convert"));
    ::setenv("XDG_CACHE_HOME", dir_.Path("cache").c_str(), 1);
    int number = 0;
    for (const char* fixture : {"tagged.m4a", "japanese.m4a", "faststart.m4a", "tagged.m4a"}) {
      fs::copy_file(std::string(TARVELLO_TEST_DATA) + "/m4a/" + fixture,
                    Music() + "/" + std::to_string(++number) + " song.m4a");
    }
  }
  ~CardSyncCommandTest() override { ::unsetenv("XDG_CACHE_HOME"); }

  std::string Music() const { return dir_.Path("music"); }
  // Runs the program and expects its exit status and each part in its standard output.
  CliResult Cli(const std::vector<std::string>& arguments, int status,
                const std::vector<std::string>& parts = {}) {
    CliResult result = cli_test::RunProgram(dir_.Path("bin/tarvello-cli"), arguments);
    EXPECT_EQ(result.exit_status, status) << result.err;
    for (const std::string& part : parts) EXPECT_TRUE(Has(result.out, part)) << result.out;
    return result;
  }

  fakes::TempDir dir_;
};

TEST_F(CardSyncCommandTest, ACardWithoutIdentityTakesNoProfile) {
  // A folder of /tmp lies on no volume with a UUID here.
  const CliResult set = Cli({"card", "set", "--root", dir_.path(), Music()}, 1);
  EXPECT_TRUE(Has(set.err, "識別情報 (UUID またはシリアル番号) がない")) << set.err;
  EXPECT_FALSE(fs::exists(dir_.Path("bin/tarvello-extra.ini")));
  Cli({"sync", "--root", dir_.path()}, 1, {"\"result\":\"refused\",\"reason\":\"no identity\""});
}

TEST_F(CardSyncCommandTest, SourcesThatNameNothingAreBadArguments) {
  fakes::WriteFile(dir_.Path("notes.txt"), "not a playlist");
  for (const std::string& source : {dir_.Path("nowhere"), std::string("player:Winamp#Mix"),
                                    dir_.Path("lib.xml#Name"), dir_.Path("notes.txt")}) {
    SCOPED_TRACE(source);
    EXPECT_FALSE(Cli({"card", "set", "--root", dir_.path(), source}, 2).err.empty());
  }
}

TEST_F(CardSyncCommandTest, ARealCardFollowsItsSources) {
  const fakes::LoopMountedCard card(32);
  if (!card.Ready()) GTEST_SKIP() << card.Why();
  const std::string root = card.Root();
  const std::string songs = root + "/PRIVATE/AU/DF/D_SD/SDS_000";
  const std::string list = dir_.Path("list.m3u8");
  fakes::WriteFile(list, "#EXTM3U\n" + Music() + "/4 song.m4a\n");

  const CliResult set = Cli(
      {"card", "set", "--root", root, "--title-format", "1", "--auto", list, Music()}, 0,
      {"\"title_format\":1", "\"auto\":true", "{\"kind\":\"playlist\",\"path\":\"" + list + "\"}"});
  EXPECT_EQ(Cli({"card", "show", "--root", root}, 0).out, set.out);

  const CliResult plan = Cli({"sync", "--root", root, "--dry-run"}, 0,
                             {"\"added\":4,\"removed\":0,\"kept\":0", "\"result\":\"planned\""});
  ASSERT_EQ(plan.OutLines().size(), 5u) << plan.out;  // four songs, the 4th first, then counts
  EXPECT_TRUE(Has(plan.OutLines()[0], "4 song.m4a\",\"action\":\"added\""));
  EXPECT_FALSE(fs::exists(root + "/PRIVATE"));
  Cli({"sync", "--root", root, "--backup-dir", dir_.Path("backup")}, 0,
      {"\"written\":4,\"targets\":4", "\"result\":\"completed\",\"verified\":true"});
  Cli({"sync", "--root", root, "--dry-run"}, 0, {"\"added\":0,\"removed\":0,\"kept\":4"});

  // Three of four songs gone: the card keeps them until told.
  for (int i = 1; i <= 3; ++i) fs::remove(Music() + "/" + std::to_string(i) + " song.m4a");
  Cli({"sync", "--root", root, "--no-verify"}, 1, {"\"reason\":\"removes most songs\""});
  EXPECT_TRUE(fs::exists(songs + "3.3G2"));
  Cli({"sync", "--root", root, "--yes", "--backup-dir", dir_.Path("backup")}, 0);
  EXPECT_FALSE(fs::exists(songs + "1.3G2"));

  // The folder unmounted: the card is left as it is.
  fs::rename(Music(), Music() + ".away");
  Cli({"sync", "--root", root}, 1, {"\"reason\":\"source unreadable\""});
  EXPECT_TRUE(fs::exists(songs + "0.3G2"));

  Cli({"card", "forget", "--root", root}, 0, {"\"forgotten\":true"});
  Cli({"sync", "--root", root}, 1, {"\"reason\":\"no profile\""});
}

}  // namespace
}  // namespace tarvello
