// Files the helper is asked about, through the presenter with the scripted helper: a file
// that hangs the probe is listed at once and leaves the list with a refusal when the helper
// gives up, and without the helper program an add says so once, with where it was looked
// for.

#include <gmock/gmock.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/presenter_fixture.h"
#include "convert/conversion_failure_text.h"

namespace tarvello {
namespace {

using ::testing::HasSubstr;
using namespace std::chrono_literals;

class PresenterProbeTest : public PresenterTest {
 protected:
  MainPresenter& StartWithHelper(const std::string& program) {
    Start().SetConversionHelper({program, 1s, 30s});
    return *presenter_;
  }
  // A file the walk refuses, so that it goes to the helper.
  std::string NotAnM4a(const std::string& name) {
    fakes::WriteFile(temp_dir_.Path(name), std::string(4096, 'x'));
    return temp_dir_.Path(name);
  }
};

TEST_F(PresenterProbeTest, AFileThatHangsTheProbeIsListedAtOnceAndRefusedWhenTheHelperGivesUp) {
  probe_wait_ = 0ms;
  MainPresenter& presenter = StartWithHelper(TARVELLO_SCRIPTED_HELPER_PATH);
  const std::string hang = NotAnM4a("slow probe-hang.mp3");
  const std::string fine = NotAnM4a("fine.mp3");
  presenter.FilesDropped({hang, fine});

  // Both rows are there under their names while the helper looks at them.
  ASSERT_EQ(presenter.Rows().RowCount(), 2);
  EXPECT_EQ(presenter.Rows().Row(0).caption, "slow probe-hang");
  EXPECT_EQ(presenter.Rows().Row(0).conversion.state, ConversionState::kProbing);
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_THAT(view_.status[0], HasSubstr("変換待ち 2 曲"));

  // The helper gives up on the hanging file after its stall limit: that row goes, and the
  // refusal names the file. The other file is looked at next and takes its tags. The
  // workers' results reach the presenter as the window's event loop hands them on.
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (view_.boxes.empty() || presenter.Rows().RowCount() != 1 ||
         presenter.Rows().Row(0).conversion.state == ConversionState::kProbing) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    if (view_.RunCalledSoon() == 0) std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(presenter.Rows().Row(0).caption, fine);  // the scripted helper's title
  EXPECT_EQ(presenter.State().table.TrackCount(), 1);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_THAT(view_.boxes[0], HasSubstr("追加できる曲情報ではありません."));
  EXPECT_THAT(view_.boxes[0], HasSubstr(hang));
}

TEST_F(PresenterProbeTest, AMissingHelperIsToldOnceForTheWholeAdd) {
  const std::string program = program_dir_.Path("gone/tarvello-convert");
  MainPresenter& presenter = StartWithHelper(program);
  presenter.FilesDropped({NotAnM4a("one.mp3"), Fixture("m4a/tagged.m4a"), NotAnM4a("two.flac")});

  EXPECT_THAT(view_.boxes, ::testing::ElementsAre(MissingHelperText({program})));
  EXPECT_THAT(view_.boxes[0], HasSubstr("tarvello-convert が見つからない"));
  ASSERT_EQ(presenter.Rows().RowCount(), 1);
  EXPECT_EQ(presenter.Rows().Row(0).caption, "Sine in A");
}

}  // namespace
}  // namespace tarvello
