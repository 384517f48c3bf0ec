// The songs of an output gathered without the helper program: one line says it is missing
// and where it was looked for, the files that needed it are counted as not added without a
// line each, and the songs that need no converting are added as ever.

#include "cli/song_gathering.h"

#include <gmock/gmock.h>

#include <sstream>
#include <string>

#include "fakes/fake_platform.h"

namespace tarvello::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(SongGatheringTest, AMissingHelperIsToldOnceWithWhereItWasLookedFor) {
  fakes::TempDir dir;
  fakes::WriteFile(dir.Path("one.mp3"), std::string(4096, 'x'));
  fakes::WriteFile(dir.Path("two.flac"), std::string(4096, 'y'));
  PosixFileSystem files;
  fakes::FakeEnvironment environment;
  environment.variables["TEMP"] = dir.path();
  GatherOptions options;
  options.conversion.cache_dir = dir.Path("cache");
  options.helper.program = dir.Path("gone/tarvello-convert");
  ListAdding adding;
  std::ostringstream err;

  const int refused =
      GatherSongs({dir.Path("one.mp3"), std::string(TARVELLO_TEST_DATA) + "/m4a/tagged.m4a",
                   dir.Path("two.flac")},
                  options, files, environment, adding, err);

  EXPECT_EQ(refused, 2);
  EXPECT_EQ(adding.table.TrackCount(), 1);
  const std::string told = err.str();
  const std::string line = "the conversion program tarvello-convert cannot be started";
  ASSERT_THAT(told, HasSubstr(line));
  EXPECT_EQ(told.find(line), told.rfind(line)) << told;
  EXPECT_THAT(told, HasSubstr("  " + options.helper.program + "\n"));
  EXPECT_THAT(told, Not(HasSubstr("追加できる曲情報ではありません"))) << told;
  EXPECT_THAT(told, Not(HasSubstr(dir.Path("one.mp3")))) << told;
}

}  // namespace
}  // namespace tarvello::cli
