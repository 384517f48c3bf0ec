// tarvello-cli output run as a program: a folder written end to end, the result line and
// exit status, songs that fail, songs that do not fit, and bad arguments.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "fakes/fake_platform.h"
#include "fakes/tmpfs_card.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunCli;
using fakes::ReadFile;
using fakes::TempDir;
using ::testing::HasSubstr;

const std::string kSongs = std::string(TARVELLO_TEST_DATA) + "/m4a/";

class OutputCommandTest : public ::testing::Test {
 protected:
  CliResult Output(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"output", "--root", card_.path(), "--backup-dir", backups_.path()});
    return RunCli(arguments);
  }
  std::string Folder() const { return card_.path() + "/PRIVATE/AU/DF/D_SD"; }
  std::string LastLine(const CliResult& result) const {
    const auto lines = result.OutLines();
    return lines.empty() ? "" : lines.back();
  }

  TempDir card_;
  TempDir backups_;
};

TEST_F(OutputCommandTest, WritesTheSongsInOrderAndEndsWithTheResultLine) {
  fakes::WriteFile(Folder() + "/OLD.TXT", "old");
  const CliResult result =
      Output({"--prefix", "abc", "--ext", "m4a", "--title-format", "2", "--separator", "1",
              kSongs + "japanese.m4a", kSongs + "tagged.m4a"});

  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(LastLine(result), HasSubstr("\"written\":2,\"targets\":2"));
  EXPECT_THAT(result.err, HasSubstr("出力先フォルダへ 2 曲を出力しました."));
  // Typed in lower case, the prefix and extension are upper case like in the options dialog.
  EXPECT_TRUE(ReadFile(Folder() + "/ABC_0000.M4A") == ReadFile(kSongs + "japanese.m4a"));
  EXPECT_TRUE(ReadFile(Folder() + "/ABC_0001.M4A") == ReadFile(kSongs + "tagged.m4a"));
  EXPECT_FALSE(std::filesystem::exists(Folder() + "/OLD.TXT"));
  const std::vector<std::string> backups = [&] {
    std::vector<std::string> names;
    for (const auto& day : std::filesystem::directory_iterator(backups_.path())) {
      names.push_back(ReadFile(day.path().string() + "/OLD.TXT"));
    }
    return names;
  }();
  EXPECT_EQ(backups, std::vector<std::string>{"old"});

  // The management file reads back through the mgr command, artist first.
  const CliResult mgr = RunCli({"mgr", Folder() + "/SD_F_000.MGR"});
  EXPECT_THAT(mgr.out, HasSubstr("\"number\":1,\"used\":true"));
  EXPECT_THAT(mgr.out, HasSubstr("_Sine in A\""));
}

TEST_F(OutputCommandTest, ARefusedSongIsReportedAndTheExitStatusSaysSo) {
  // Without conversion, a song the walk refuses stays refused.
  const CliResult result =
      Output({"--no-convert", kSongs + "isom_brand.m4a", kSongs + "tagged.m4a"});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_THAT(result.err,
              HasSubstr("追加できる曲情報ではありません.\n" + kSongs + "isom_brand.m4a"));
  EXPECT_THAT(LastLine(result), HasSubstr("\"written\":1,\"targets\":1"));

  const CliResult none = Output({"--no-convert", kSongs + "isom_brand.m4a"});
  EXPECT_EQ(none.exit_status, 1);
  EXPECT_THAT(none.err, HasSubstr("出力する曲がありません."));
  EXPECT_EQ(none.out, "");
}

TEST_F(OutputCommandTest, BadArgumentsAndAMissingRootExitWithTwoAndWriteNothing) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--prefix", "ABCD", kSongs + "tagged.m4a"},
                                             {"--ext", "a/b", kSongs + "tagged.m4a"},
                                             {"--title-format", "3", kSongs + "tagged.m4a"},
                                             {"--separator", "8", kSongs + "tagged.m4a"},
                                             {"--outdir", "\xff", kSongs + "tagged.m4a"},
                                             {"--no-backup"}}) {
    const CliResult result = Output(arguments);
    EXPECT_EQ(result.exit_status, 2) << arguments.front();
    EXPECT_FALSE(std::filesystem::exists(Folder())) << arguments.front();
  }
  const CliResult both = RunCli({"output", "--root", card_.path(), "--no-backup", "--backup-dir",
                                 backups_.path(), kSongs + "tagged.m4a"});
  EXPECT_EQ(both.exit_status, 2);
  const CliResult missing = RunCli({"output", "--root", card_.Path("gone"), kSongs + "tagged.m4a"});
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_THAT(missing.err, HasSubstr(card_.Path("gone")));
}

TEST(OutputCommandRoomTest, SongsThatDoNotFitTheCardAreRefusedBeforeAnythingIsWritten) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs card needs root; skipped";
  fakes::TmpfsCard card("16k");
  if (!card.mounted()) GTEST_SKIP() << "this system refused to mount a tmpfs; skipped";
  const CliResult result = RunCli({"output", "--root", card.root(), "--no-backup",
                                   kSongs + "tagged.m4a", kSongs + "japanese.m4a"});
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_THAT(result.err,
              HasSubstr("出力先の空き領域が十分ではありません.\n出力対象曲を減らしてください."));
  EXPECT_FALSE(std::filesystem::exists(card.root() + "/PRIVATE"));
}

}  // namespace
}  // namespace tarvello
