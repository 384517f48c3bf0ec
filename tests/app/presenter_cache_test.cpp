// The output run makes again a converted song that another process removed from the
// cache, rather than missing it.

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/conversion_presenter_fixture.h"
#include "convert/made_sources.h"

namespace tarvello {
namespace {

class PresenterCacheTest : public ConversionPresenterTest {
 protected:
  // Adds a converted song's source and waits until its record names the song.
  std::string AddConverted(const std::string& name) {
    const std::string source = music_.Path(name);
    EXPECT_TRUE(testing::RunFfmpeg(testing::Tone(1) + " -ac 2 -metadata title=" + name + " " +
                                   testing::Quoted(source)));
    const int row = presenter_->Rows().RowCount();
    presenter_->FilesDropped({source});
    EXPECT_EQ(presenter_->Rows().RowCount(), row + 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (FileOfRow(row) == source && std::chrono::steady_clock::now() < deadline) {
      if (view_.RunCalledSoon() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return FileOfRow(row);
  }
  std::string FileOfRow(int row) const {
    const TrackList& rows = presenter_->Rows();
    return std::string(FieldText(presenter_->State().table[rows.TableIndex(row)].FileName));
  }
};

TEST_F(PresenterCacheTest, TheOutputMakesAgainASongAnotherProgramRemoved) {
  auto& card = fake_.volumes.AddTemp("CARD", DriveType::kRemovable, {64 << 20, 32 << 20, 512, 8});
  WriteIni("OUTDRV = " + card.root + "\r\nAUTDST = 0\r\n");
  Start();
  const std::string song = AddConverted("tone.wav");
  const std::string made = fakes::ReadFile(song);
  // The command's trimming, in another process, does not know the window uses the song.
  std::filesystem::remove(song);
  view_.confirm_answers.push_back(true);
  presenter_->Execute1Click();
  EXPECT_EQ(view_.progress.messages.back(), "出力先フォルダへ 1 曲を出力しました.");
  ASSERT_TRUE(std::filesystem::exists(song));
  std::vector<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(card.root + "/PRIVATE/AU/DF/D_SD")) {
    if (entry.path().extension() == ".3G2") written.push_back(fakes::ReadFile(entry.path()));
  }
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], fakes::ReadFile(song));
  EXPECT_EQ(written[0].size(), made.size());
  EXPECT_EQ(FileOfRow(0), song);
}

}  // namespace
}  // namespace tarvello
