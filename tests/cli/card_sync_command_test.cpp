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
using cli_test::RunProgram;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CardSyncCommandTest : public ::testing::Test {
 protected:
  CardSyncCommandTest() {
    fs::create_directories(dir_.Path("bin"));
    const fs::path built(TARVELLO_CLI_PATH);
    fs::copy_file(built, Program());
    fs::copy_file(built.parent_path() / "tarvello-convert", dir_.Path("bin/tarvello-convert"));
    ::setenv("XDG_CACHE_HOME", dir_.Path("cache").c_str(), 1);
    for (int i = 0; i < 4; ++i) {
      const char* fixtures[] = {"tagged.m4a", "japanese.m4a", "faststart.m4a", "tagged.m4a"};
      fs::create_directories(Music());
      fs::copy_file(std::string(TARVELLO_TEST_DATA) + "/m4a/" + fixtures[i],
                    Music() + "/" + std::to_string(i + 1) + " song.m4a");
    }
  }
  ~CardSyncCommandTest() override { ::unsetenv("XDG_CACHE_HOME"); }

  std::string Program() const { return dir_.Path("bin/tarvello-cli"); }
  std::string Music() const { return dir_.Path("music"); }
  CliResult Cli(const std::vector<std::string>& arguments) {
    return RunProgram(Program(), arguments);
  }

  fakes::TempDir dir_;
};

TEST_F(CardSyncCommandTest, ACardWithoutIdentityTakesNoProfile) {
  // A folder of /tmp lies on no volume with a UUID here.
  const CliResult set = Cli({"card", "set", "--root", dir_.path(), Music()});
  EXPECT_EQ(set.exit_status, 1);
  EXPECT_TRUE(Has(set.err, "識別情報 (UUID またはシリアル番号) がない")) << set.err;
  EXPECT_FALSE(fs::exists(dir_.Path("bin/tarvello-extra.ini")));
  const CliResult sync = Cli({"sync", "--root", dir_.path()});
  EXPECT_EQ(sync.exit_status, 1);
  EXPECT_TRUE(Has(sync.out, "\"result\":\"refused\",\"reason\":\"no identity\"")) << sync.out;
}

TEST_F(CardSyncCommandTest, SourcesThatNameNothingAreBadArguments) {
  for (const std::string& source :
       {dir_.Path("nowhere"), std::string("player:Winamp#Mix"), dir_.Path("lib.xml#Name")}) {
    const CliResult set = Cli({"card", "set", "--root", dir_.path(), source});
    EXPECT_EQ(set.exit_status, 2) << source;
    EXPECT_FALSE(set.err.empty());
  }
  fakes::WriteFile(dir_.Path("notes.txt"), "not a playlist");
  EXPECT_EQ(Cli({"card", "set", "--root", dir_.path(), dir_.Path("notes.txt")}).exit_status, 2);
}

TEST_F(CardSyncCommandTest, ARealCardFollowsItsSources) {
  const fakes::LoopMountedCard card(32);
  if (!card.Ready()) GTEST_SKIP() << card.Why();
  const std::string root = card.Root();
  const std::string list = dir_.Path("list.m3u8");
  fakes::WriteFile(list, "#EXTM3U\n" + Music() + "/4 song.m4a\n");

  const CliResult set =
      Cli({"card", "set", "--root", root, "--title-format", "1", "--auto", list, Music()});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  EXPECT_TRUE(Has(set.out, "\"title_format\":1")) << set.out;
  EXPECT_TRUE(Has(set.out, "\"auto\":true"));
  EXPECT_TRUE(Has(set.out, "{\"kind\":\"playlist\",\"path\":\"" + list + "\"}"));
  EXPECT_EQ(Cli({"card", "show", "--root", root}).out, set.out);

  const CliResult plan = Cli({"sync", "--root", root, "--dry-run"});
  ASSERT_EQ(plan.exit_status, 0) << plan.err;
  ASSERT_EQ(plan.OutLines().size(), 5u) << plan.out;  // four songs, the 4th first, then counts
  EXPECT_TRUE(Has(plan.OutLines()[0], "4 song.m4a\",\"action\":\"added\""));
  EXPECT_TRUE(Has(plan.OutLines()[4], "\"added\":4,\"removed\":0,\"kept\":0"));
  EXPECT_TRUE(Has(plan.OutLines()[4], "\"result\":\"planned\""));
  EXPECT_FALSE(fs::exists(root + "/PRIVATE"));

  const CliResult sync = Cli({"sync", "--root", root, "--backup-dir", dir_.Path("backup")});
  ASSERT_EQ(sync.exit_status, 0) << sync.err;
  EXPECT_TRUE(Has(sync.OutLines().back(), "\"written\":4,\"targets\":4")) << sync.out;
  EXPECT_TRUE(Has(sync.OutLines().back(), "\"result\":\"completed\",\"verified\":true"));
  EXPECT_TRUE(
      Has(Cli({"sync", "--root", root, "--dry-run"}).out, "\"added\":0,\"removed\":0,\"kept\":4"));

  // Three of four songs gone: the card keeps them until told.
  for (int i = 1; i <= 3; ++i) fs::remove(Music() + "/" + std::to_string(i) + " song.m4a");
  fs::remove(list);
  fakes::WriteFile(list, "#EXTM3U\n" + Music() + "/4 song.m4a\n");
  const CliResult asked = Cli({"sync", "--root", root, "--no-verify"});
  EXPECT_EQ(asked.exit_status, 1);
  EXPECT_TRUE(Has(asked.OutLines().back(), "\"reason\":\"removes most songs\"")) << asked.out;
  EXPECT_TRUE(fs::exists(root + "/PRIVATE/AU/DF/D_SD/SDS_0003.3G2"));
  const CliResult confirmed =
      Cli({"sync", "--root", root, "--yes", "--backup-dir", dir_.Path("backup")});
  EXPECT_EQ(confirmed.exit_status, 0) << confirmed.err;
  EXPECT_FALSE(fs::exists(root + "/PRIVATE/AU/DF/D_SD/SDS_0001.3G2"));

  // The folder unmounted: the card is left as it is.
  fs::rename(Music(), Music() + ".away");
  const CliResult unreadable = Cli({"sync", "--root", root});
  EXPECT_EQ(unreadable.exit_status, 1);
  EXPECT_TRUE(Has(unreadable.OutLines().back(), "\"reason\":\"source unreadable\""));
  EXPECT_TRUE(fs::exists(root + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2"));

  EXPECT_TRUE(Has(Cli({"card", "forget", "--root", root}).out, "\"forgotten\":true"));
  EXPECT_TRUE(Has(Cli({"sync", "--root", root}).out, "\"reason\":\"no profile\""));
}

}  // namespace
}  // namespace tarvello
