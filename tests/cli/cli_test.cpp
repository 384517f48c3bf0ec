// tarvello-cli run as a program: help and version, bad arguments, info and mgr, with
// what they print and their exit status.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "common/cp932.h"
#include "fakes/fake_platform.h"
#include "output/management_files.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunCli;
using fakes::LockingFileSystem;
using fakes::TempDir;

const std::string kFixtures = std::string(TARVELLO_TEST_DATA) + "/m4a/";

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(CliTest, HelpAndVersionSucceedOnStandardOutput) {
  const CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("info"), std::string::npos);
  EXPECT_NE(help.out.find("mgr"), std::string::npos);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(RunCli({"-h"}).exit_status, 0);
  EXPECT_EQ(RunCli({"mgr", "--help"}).exit_status, 0);

  const CliResult version = RunCli({"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out, "Tarvello-cli 1.4.0.0\n");
}

TEST(CliTest, BadArgumentsExitWithTwoAndAMessage) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"frobnicate"}, {"--bogus"}, {"info"}, {"mgr"}, {"info", "--bogus", "a.m4a"}};
  for (const auto& arguments : cases) {
    const CliResult result = RunCli(arguments);
    const std::string shown = arguments.empty() ? "(none)" : arguments.front();
    EXPECT_EQ(result.exit_status, 2) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_NE(result.err, "") << shown;
  }
  EXPECT_NE(RunCli({"frobnicate"}).err.find("unknown command \"frobnicate\""), std::string::npos);
}

TEST(CliInfoTest, ASongGivesOneJsonLine) {
  const std::string song = kFixtures + "japanese.m4a";
  const CliResult result = RunCli({"info", song});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.err, "");
  const std::vector<std::string> lines = result.OutLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("{\"path\":\"" + song + "\",\"accepted\":true,", 0), 0u);
  EXPECT_NE(lines[0].find("\"Title\":\"春の海\""), std::string::npos);
  EXPECT_EQ(lines[0].back(), '}');
}

TEST(CliInfoTest, ANonSongFailsButTheOtherFilesArePrinted) {
  TempDir folder;
  const std::string text = folder.Path("notes.txt");
  fakes::WriteFile(text, "not a song at all");
  const CliResult result = RunCli({"info", text, kFixtures + "tagged.m4a"});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.err.find(text), std::string::npos);
  const std::vector<std::string> lines = result.OutLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "{\"path\":\"" + text +
                          "\",\"accepted\":false,\"reason\":\"no file type box at the start\"}");
  EXPECT_NE(lines[1].find("\"accepted\":true"), std::string::npos);
}

class CliMgrTest : public ::testing::Test {
 protected:
  // Writes the management files for 101 songs, the first with a Japanese title.
  void SetUp() override {
    titles_.push_back(Utf8ToCp932("日本語タイトル"));
    for (int i = 1; i < 101; ++i) titles_.push_back("song " + std::to_string(i));
    LockingFileSystem files;
    ASSERT_EQ(WriteManagementFiles(files, folder_.path() + "/", titles_, nullptr), std::nullopt);
  }

  TempDir folder_;
  std::vector<std::string> titles_;
};

TEST_F(CliMgrTest, EachFileGivesItsHeaderAndEveryEntry) {
  const CliResult result =
      RunCli({"mgr", folder_.Path("SD_F_000.MGR"), folder_.Path("SD_F_001.MGR")});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.err, "");
  const std::vector<std::string> lines = result.OutLines();
  ASSERT_EQ(lines.size(), 2u);
  for (const std::string& line : lines) {
    EXPECT_NE(line.find("\"valid\":true,\"magic\":\"CNTM\",\"version\":1048576,\"file_size\":9632,"
                        "\"entry_size\":96,\"entry_count\":100,\"entries\":["),
              std::string::npos);
    EXPECT_EQ(Count(line, "\"number\":"), 100u);
  }
  // 日本語タイトル is 7 double-byte characters in CP932.
  EXPECT_NE(
      lines[0].find("{\"number\":0,\"used\":true,\"length\":14,\"title\":\"日本語タイトル\"}"),
      std::string::npos);
  EXPECT_NE(lines[0].find("{\"number\":99,\"used\":true,\"length\":7,\"title\":\"song 99\"}"),
            std::string::npos);
  EXPECT_NE(lines[1].find("{\"number\":100,\"used\":true,\"length\":8,\"title\":\"song 100\"}"),
            std::string::npos);
  EXPECT_NE(lines[1].find("{\"number\":199,\"used\":false,\"length\":0,\"title\":\"\"}]}"),
            std::string::npos);
  EXPECT_EQ(Count(lines[1], "\"used\":false"), 99u);
}

TEST_F(CliMgrTest, BrokenOrMissingFilesFailAndAreNamed) {
  std::string wrong_magic = fakes::ReadFile(folder_.Path("SD_F_000.MGR"));
  wrong_magic.replace(0, 4, "XXXX");
  const std::string broken = folder_.Path("BROKEN.MGR");
  fakes::WriteFile(broken, wrong_magic);
  const std::string short_file = folder_.Path("SHORT.MGR");
  fakes::WriteFile(short_file, "CNTM");
  const std::string missing = folder_.Path("MISSING.MGR");

  const CliResult result =
      RunCli({"mgr", broken, folder_.Path("SD_F_000.MGR"), short_file, missing});
  EXPECT_EQ(result.exit_status, 1);
  for (const std::string& path : {broken, short_file, missing})
    EXPECT_NE(result.err.find(path), std::string::npos) << path;
  const std::vector<std::string> lines = result.OutLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "{\"path\":\"" + broken + "\",\"valid\":false}");
  EXPECT_NE(lines[1].find("\"valid\":true"), std::string::npos);
  EXPECT_EQ(lines[2], "{\"path\":\"" + short_file + "\",\"valid\":false}");
  EXPECT_EQ(lines[3], "{\"path\":\"" + missing + "\",\"valid\":false}");
}

}  // namespace
}  // namespace tarvello
