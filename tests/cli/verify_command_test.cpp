// Verify from tarvello-cli: the output's result line reports the read-back, and the verify
// command checks a card written earlier without writing to it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunCli;
using fakes::ReadFile;
using fakes::TempDir;
using ::testing::EndsWith;
using ::testing::HasSubstr;

const std::string kSongs = std::string(TARVELLO_TEST_DATA) + "/m4a/";

std::string LastLine(const CliResult& result) {
  const auto lines = result.OutLines();
  return lines.empty() ? "" : lines.back();
}

TEST(VerifyCommandTest, OutputVerifiesAndVerifyFindsAChangedSongWithoutWriting) {
  TempDir card;
  const std::string folder = card.path() + "/PRIVATE/AU/DF/D_SD";
  const std::vector<std::string> songs = {kSongs + "japanese.m4a", kSongs + "tagged.m4a"};
  std::vector<std::string> output = {"output", "--root", card.path(), "--no-backup"};
  output.insert(output.end(), songs.begin(), songs.end());
  const CliResult written = RunCli(output);
  ASSERT_EQ(written.exit_status, 0) << written.err;
  EXPECT_THAT(LastLine(written), EndsWith("\"verified\":true,\"mismatched\":[]}"));

  std::vector<std::string> verify = {"verify", "--root", card.path()};
  verify.insert(verify.end(), songs.begin(), songs.end());
  const CliResult clean = RunCli(verify);
  EXPECT_EQ(clean.exit_status, 0) << clean.err;
  EXPECT_THAT(LastLine(clean), HasSubstr("\"checked\":3,"));
  EXPECT_THAT(LastLine(clean), HasSubstr("\"verified\":true"));

  std::string bytes = ReadFile(folder + "/SDS_0001.3G2");
  bytes[bytes.size() / 2] ^= 0x40;
  fakes::WriteFile(folder + "/SDS_0001.3G2", bytes);
  const auto before = fakes::FolderContents(card.path());
  const CliResult changed = RunCli(verify);
  EXPECT_EQ(changed.exit_status, 1);
  EXPECT_THAT(LastLine(changed),
              HasSubstr("\"verified\":false,\"mismatched\":[\"" + folder + "/SDS_0001.3G2\"]"));
  EXPECT_THAT(changed.err, HasSubstr(kSongs + "tagged.m4a"));
  EXPECT_EQ(fakes::FolderContents(card.path()), before);

  // A different order gives different titles and songs at each number.
  const CliResult reordered = RunCli({"verify", "--root", card.path(), songs[1], songs[0]});
  EXPECT_EQ(reordered.exit_status, 1);
  EXPECT_THAT(LastLine(reordered), HasSubstr("SD_F_000.MGR"));
}

TEST(VerifyCommandTest, NoVerifySkipsTheReadBack) {
  TempDir card;
  const CliResult result =
      RunCli({"output", "--root", card.path(), "--no-backup", "--no-verify", kSongs + "tagged.m4a"});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  // Nothing was checked, so the line says nothing about a check.
  EXPECT_THAT(LastLine(result), EndsWith("\"result\":\"completed\",\"mismatched\":[]}"));
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

TEST(BackupCommandsTest, ListsBackupsNewestFirstAndRestoresOne) {
  TempDir card, backups;
  const std::string folder = card.path() + "/PRIVATE/AU/DF/D_SD";
  auto output = [&](const std::string& song) {
    return RunCli({"output", "--root", card.path(), "--backup-dir", backups.path(), song});
  };
  ASSERT_EQ(output(kSongs + "japanese.m4a").exit_status, 0);
  const std::string first = ReadFile(folder + "/SDS_0000.3G2");
  ASSERT_EQ(output(kSongs + "tagged.m4a").exit_status, 0);
  ASSERT_EQ(output(kSongs + "faststart.m4a").exit_status, 0);

  const CliResult listed = RunCli({"backups", "--backup-dir", backups.path()});
  ASSERT_EQ(listed.exit_status, 0) << listed.err;
  const auto lines = listed.OutLines();
  ASSERT_EQ(lines.size(), 3u);  // two folders and the total
  EXPECT_THAT(lines[2], HasSubstr("{\"backups\":2,\"bytes\":"));
  EXPECT_THAT(lines[0], HasSubstr("_2\",\"date\":\""));
  EXPECT_THAT(lines[0], HasSubstr("\"songs\":1,\"files\":2,"));
  const std::string oldest = lines[1].substr(9, 8);  // {"name":"yyyymmdd"

  const CliResult restored =
      RunCli({"restore", "--root", card.path(), "--backup-dir", backups.path(), oldest});
  EXPECT_EQ(restored.exit_status, 0) << restored.err;
  EXPECT_THAT(LastLine(restored), HasSubstr("\"restored\":2,"));
  EXPECT_THAT(LastLine(restored), HasSubstr("\"result\":\"completed\",\"verified\":true"));
  EXPECT_TRUE(ReadFile(folder + "/SDS_0000.3G2") == first);
  EXPECT_EQ(RunCli({"backups", "--backup-dir", backups.path()}).OutLines().size(), 4u);

  const CliResult missing =
      RunCli({"restore", "--root", card.path(), "--backup-dir", backups.path(), "19990101"});
  EXPECT_EQ(missing.exit_status, 2);
}

}  // namespace
}  // namespace tarvello
