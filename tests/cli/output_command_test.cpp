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
  EXPECT_EQ(none.out, "{\"written\":0,\"targets\":0,\"folder\":\"" + Folder() +
                          "\",\"backup_folder\":\"\",\"result\":\"refused\",\"reason\":"
                          "\"nothing to output\",\"message\":\"出力する曲がありません.\",\"verified\":false,"
                          "\"mismatched\":[]}\n");
}

// Each way an output does not start ends with a result line that says why, and leaves
// the card and the folders beside it as they were.
TEST_F(OutputCommandTest, AnOutputThatDoesNotStartSaysWhyInItsResultLine) {
  TempDir elsewhere;
  std::filesystem::create_directory_symlink(elsewhere.path(), card_.Path("AWAY"));
  struct Case {
    std::vector<std::string> arguments;
    const char* reason;
    int exit_status;
  };
  for (const Case& refused : std::vector<Case>{
           {{"--root", card_.Path("gone")}, "no folder", 2},
           {{"--root", card_.path(), "--outdir", "\\AWAY\\D_SD"}, "folder off the card", 2}}) {
    std::vector<std::string> arguments = {"output", "--no-backup"};
    arguments.insert(arguments.end(), refused.arguments.begin(), refused.arguments.end());
    arguments.push_back(kSongs + "tagged.m4a");
    const CliResult result = RunCli(arguments);
    EXPECT_EQ(result.exit_status, refused.exit_status) << refused.reason;
    EXPECT_THAT(LastLine(result), HasSubstr("\"result\":\"refused\",\"reason\":\"" +
                                            std::string(refused.reason) + "\""));
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path())) << refused.reason;
  }
}

// A card's mount point under /mnt that the card has left: the disk beneath is no card.
TEST_F(OutputCommandTest, AMountPointFolderWithoutItsCardHasNoMedium) {
  char pattern[] = "/mnt/tarvello-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) GTEST_SKIP() << "no folder can be made in /mnt; skipped";
  const std::string mount_point = pattern;
  const CliResult result =
      RunCli({"output", "--root", mount_point, "--no-backup", kSongs + "tagged.m4a"});
  const bool written = std::filesystem::exists(mount_point + "/PRIVATE");
  std::filesystem::remove_all(mount_point);
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_THAT(result.err, HasSubstr(": メディアが挿入されていません."));
  EXPECT_THAT(LastLine(result), HasSubstr("\"reason\":\"no medium\""));
  EXPECT_FALSE(written);
}

TEST_F(OutputCommandTest, NamePartsAreCountedInCp932Bytes) {
  const CliResult wide = Output({"--prefix", "ＡＢ", kSongs + "tagged.m4a"});
  EXPECT_EQ(wide.exit_status, 2);
  EXPECT_THAT(wide.err, HasSubstr("at most 3 bytes in CP932"));
  EXPECT_FALSE(std::filesystem::exists(Folder()));

  const CliResult fits = Output({"--prefix", "Ａb", "--ext", "表", kSongs + "tagged.m4a"});
  EXPECT_EQ(fits.exit_status, 0) << fits.err;
  EXPECT_TRUE(std::filesystem::exists(Folder() + "/ＡB_0000.表"));
}

TEST_F(OutputCommandTest, BadArgumentsAndAMissingRootExitWithTwoAndWriteNothing) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--prefix", "ABCD", kSongs + "tagged.m4a"},
                                             {"--ext", "a/b", kSongs + "tagged.m4a"},
                                             {"--title-format", "3", kSongs + "tagged.m4a"},
                                             {"--separator", "8", kSongs + "tagged.m4a"},
                                             {"--outdir", "\xff", kSongs + "tagged.m4a"},
                                             {"--outdir", "\\..\\victim", kSongs + "tagged.m4a"},
                                             {"--outdir", "/./PRIVATE", kSongs + "tagged.m4a"},
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
  EXPECT_THAT(result.out, HasSubstr("\"result\":\"refused\",\"reason\":\"does not fit\""));
  EXPECT_FALSE(std::filesystem::exists(card.root() + "/PRIVATE"));
}

}  // namespace
}  // namespace tarvello
