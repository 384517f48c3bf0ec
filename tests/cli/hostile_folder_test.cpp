// Output folders that lead off the card: every command that writes or reads the card's
// folder refuses them with exit status 2 before it touches a file, and the folder beside
// the card keeps what it holds.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "fakes/fake_platform.h"

namespace tarvello {
namespace {

using cli_test::CliResult;
using cli_test::RunCli;
using fakes::TempDir;
using ::testing::HasSubstr;

const std::string kSong = std::string(TARVELLO_TEST_DATA) + "/m4a/tagged.m4a";
constexpr const char* kDotParts = "出力先フォルダに「.」や「..」は指定できません.";
constexpr const char* kOffCard = "出力先フォルダが出力先ドライブの外にあります.";

class HostileFolderTest : public ::testing::Test {
 protected:
  HostileFolderTest() {
    fakes::WriteFile(world_.Path("victim/mine.txt"), "keep me");
    fakes::WriteFile(world_.Path("backups/20230101/SDS_0000.3G2"), "old song");
    std::filesystem::create_directories(Card());
    std::filesystem::create_directory_symlink(world_.Path("victim"), Card() + "/AWAY");
  }
  std::string Card() const { return world_.Path("card"); }

  CliResult Run(const std::string& command, const std::string& out_dir) {
    std::vector<std::string> arguments = {command, "--root", Card(), "--outdir", out_dir};
    if (command == "restore") {
      arguments.insert(arguments.end(), {"--backup-dir", world_.Path("backups"), "20230101"});
    } else {
      arguments.push_back(kSong);
    }
    if (command == "output") arguments.push_back("--no-backup");
    return RunCli(arguments);
  }

  TempDir world_;
};

// A folder on the card still goes ahead: the restore puts the song back there.
TEST_F(HostileFolderTest, EveryCommandRefusesAFolderOffTheCardAndLeavesItsNeighbourAlone) {
  const auto before = fakes::FolderContents(world_.Path("victim"));
  for (const char* command : {"restore", "verify", "output"}) {
    // The output's argument check words a dot part its own way; the restore says it as
    // the window does.
    const bool restore = std::string(command) == "restore";
    for (const std::string out_dir :
         {"\\AWAY", "\\AWAY\\D_SD", "..\\victim", "\\..\\victim", "\\.\\X"}) {
      const bool dot_parts =
          out_dir.find("AWAY") == std::string::npos;  // the rest go through the link
      SCOPED_TRACE(command + (" " + out_dir));
      const CliResult result = Run(command, out_dir);
      EXPECT_EQ(result.exit_status, 2) << result.err;
      EXPECT_THAT(result.err, HasSubstr(!dot_parts ? kOffCard
                                        : restore  ? kDotParts
                                                   : "must not have \".\" or \"..\" parts"));
    }
  }
  EXPECT_EQ(fakes::FolderContents(world_.Path("victim")), before);
  EXPECT_EQ(fakes::FileNamesIn(Card()), std::vector<std::string>{});

  const CliResult restored = Run("restore", "\\MUSIC");
  EXPECT_EQ(restored.exit_status, 0) << restored.err;
  EXPECT_EQ(fakes::ReadFile(Card() + "/MUSIC/SDS_0000.3G2"), "old song");
}

}  // namespace
}  // namespace tarvello
