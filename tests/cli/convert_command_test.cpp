// tarvello-cli convert, and the output command taking folders and converting on the way.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "catalogue/m4a_reader.h"
#include "cli/cli_runner.h"
#include "convert/made_sources.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunCli;
using fakes::ReadFile;
using fakes::TempDir;
using ::testing::HasSubstr;

const std::string kSongs = std::string(TARVELLO_TEST_DATA) + "/m4a/";

bool WalkAccepts(const std::string& path) {
  PosixFileSystem files;
  auto record = std::make_unique<TTrackInfo>();
  return ReadM4aRecord(files, *record, path, path).Accepted();
}

// The value of a string member in one JSON line.
std::string Member(const std::string& line, const std::string& key) {
  const std::string start = "\"" + key + "\":\"";
  const size_t at = line.find(start);
  if (at == std::string::npos) return "<none>";
  const size_t end = line.find('"', at + start.size());
  return line.substr(at + start.size(), end - at - start.size());
}

class ConvertCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFfmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
    ASSERT_TRUE(testing::RunFfmpeg(testing::Tone(1.5) + " -ac 2 -metadata title=Tone " +
                                   testing::Quoted(Mp3())));
  }
  std::string Mp3() const { return dir_.Path("10 tone.mp3"); }

  TempDir dir_;
  TempDir cache_;
};

TEST_F(ConvertCommandTest, OneLinePerFileInOrderAndTheCacheServesTheSecondRun) {
  const std::string text = dir_.Path("notes.txt");
  fakes::WriteFile(text, "not music");
  const std::vector<std::string> arguments = {
      "convert", "--cache-dir",         cache_.path(),
      Mp3(),     kSongs + "tagged.m4a", kSongs + "isom_brand.m4a",
      text};
  const CliResult first = RunCli(arguments);
  EXPECT_EQ(first.exit_status, 1);
  const auto lines = first.OutLines();
  ASSERT_EQ(lines.size(), 4u) << first.out << first.err;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {Mp3(), "encoded"},
      {kSongs + "tagged.m4a", "accepted"},
      {kSongs + "isom_brand.m4a", "remuxed"},
      {text, "refused"}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Member(lines[i], "source"), expected[i].first);
    EXPECT_EQ(Member(lines[i], "action"), expected[i].second) << lines[i];
    EXPECT_THAT(lines[i], HasSubstr("\"seconds\":"));
  }
  EXPECT_EQ(Member(lines[1], "result"), kSongs + "tagged.m4a");
  EXPECT_TRUE(WalkAccepts(Member(lines[0], "result")));
  EXPECT_TRUE(WalkAccepts(Member(lines[2], "result")));
  EXPECT_NE(Member(lines[3], "reason"), "");
  EXPECT_THAT(first.err, HasSubstr(text));

  const CliResult again = RunCli({"convert", "--cache-dir", cache_.path(), Mp3()});
  EXPECT_EQ(again.exit_status, 0);
  EXPECT_EQ(Member(again.out, "result"), Member(lines[0], "result"));

  const CliResult bad_rate = RunCli({"convert", "--bitrate", "100", Mp3()});
  EXPECT_EQ(bad_rate.exit_status, 2);
}

TEST_F(ConvertCommandTest, OutputTakesAFolderInNaturalOrderAndConvertsOnTheWay) {
  const std::string music = dir_.Path("music");
  std::filesystem::create_directories(music + "/album");
  std::filesystem::copy_file(Mp3(), music + "/album/10 tone.mp3");
  std::filesystem::copy_file(kSongs + "tagged.m4a", music + "/album/2 tagged.m4a");
  fakes::WriteFile(music + "/album/cover.jpg", "jpeg");
  TempDir card;
  const std::string folder = card.path() + "/PRIVATE/AU/DF/D_SD";

  const CliResult result =
      RunCli({"output", "--root", card.path(), "--no-backup", "--cache-dir", cache_.path(), music});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("\"written\":2,\"targets\":2"));
  EXPECT_THAT(result.err, HasSubstr("1 files that are not music passed over"));
  // The song the walk accepted is written byte for byte; the MP3 became an accepted song.
  EXPECT_TRUE(ReadFile(folder + "/SDS_0000.3G2") == ReadFile(kSongs + "tagged.m4a"));
  EXPECT_TRUE(WalkAccepts(folder + "/SDS_0001.3G2"));

  const CliResult unconverted =
      RunCli({"output", "--root", card.path(), "--no-backup", "--no-convert", music});
  EXPECT_EQ(unconverted.exit_status, 1);
  EXPECT_THAT(unconverted.out, HasSubstr("\"written\":1,\"targets\":1"));
  EXPECT_THAT(unconverted.err, HasSubstr("追加できる曲情報ではありません."));
}

}  // namespace
}  // namespace tarvello
