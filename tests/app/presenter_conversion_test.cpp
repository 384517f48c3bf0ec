// A whole folder added through the presenter: rows at once in natural order, a song the
// walk accepts kept as it is, and an MP3 whose record becomes its converted song while
// the row and the properties dialog keep showing the user's file.

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/conversion_presenter_fixture.h"
#include "catalogue/m4a_reader.h"
#include "convert/made_sources.h"

namespace tarvello {
namespace {

class PresenterConversionTest : public ConversionPresenterTest {};

TEST_F(PresenterConversionTest, AFolderListsAtOnceAndItsMp3BecomesASong) {
  const std::string mp3 = music_.Path("album/10 tone.mp3");
  std::filesystem::create_directories(music_.Path("album"));
  ASSERT_TRUE(
      testing::RunFfmpeg(testing::Tone(2) + " -ac 2 -metadata title=Tone " + testing::Quoted(mp3)));
  const std::string m4a = music_.Path("album/2 tagged.m4a");
  std::filesystem::copy_file(Fixture("m4a/tagged.m4a"), m4a);
  fakes::WriteFile(music_.Path("album/cover.jpg"), "jpeg");

  MainPresenter& presenter = Start();
  view_.folder_choices.push_back(music_.path());
  presenter.AddFolder1Click();

  const TrackList& rows = presenter.Rows();
  ASSERT_EQ(rows.RowCount(), 2);
  const TrackTable& table = presenter.State().table;
  const auto file_of_row = [&](int row) {
    return std::string(FieldText(table[rows.TableIndex(row)].FileName));
  };
  EXPECT_EQ(file_of_row(0), m4a);
  EXPECT_EQ(file_of_row(1), mp3);
  EXPECT_EQ(rows.Row(1).caption, "Tone");
  EXPECT_NE(view_.status[1].find("1 個"), std::string::npos) << view_.status[1];
  EXPECT_TRUE(view_.boxes.empty());

  // The song is made on a worker; its result comes back through the window's thread.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (file_of_row(1) == mp3 && std::chrono::steady_clock::now() < deadline) {
    if (view_.RunCalledSoon() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string song = file_of_row(1);
  ASSERT_NE(song, mp3);
  EXPECT_EQ(song.rfind(cache_.path() + "/tarvello/converted/", 0), 0u) << song;
  auto record = std::make_unique<TTrackInfo>();
  EXPECT_TRUE(ReadM4aRecord(fake_.files.real(), *record, song, song).Accepted());
  EXPECT_EQ(rows.Row(1).caption, "Tone");
  EXPECT_EQ(rows.Row(1).sub_items[kSubFileName], mp3);
  EXPECT_EQ(file_of_row(0), m4a);

  view_.selected_rows = {1};
  presenter.Property1Click();
  ASSERT_EQ(view_.property_dialogs.size(), 1u);
  EXPECT_EQ(view_.property_dialogs[0].file_name, mp3);
  EXPECT_EQ(view_.property_dialogs[0].converted_from, mp3);
  EXPECT_EQ(rows.Row(1).sub_items[kSubFileName], mp3);
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

TEST_F(PresenterConversionTest, TheOptionsDialogKeepsConversionInTheExtraSettingsFile) {
  const std::string mp3 = music_.Path("tone.mp3");
  ASSERT_TRUE(testing::RunFfmpeg(testing::Tone(1) + " -ac 2 " + testing::Quoted(mp3)));
  MainPresenter& presenter = Start();
  const std::string conversion_file = program_dir_.Path("tarvello-extra.ini");
  // The add dialog offers every music file first while conversion is on, and only what
  // is added as it is once it is off.
  view_.file_choices.push_back(std::nullopt);
  view_.file_choices.push_back(std::nullopt);
  presenter.Add1Click();
  OptionFormValues answer;
  answer.convert = false;
  answer.bit_rate_kbps = 192;
  view_.option_answers.push_back(answer);
  presenter.Option1Click();
  ASSERT_EQ(view_.option_requests.size(), 1u);
  EXPECT_TRUE(view_.option_requests[0].values.convert);
  EXPECT_EQ(view_.option_requests[0].values.bit_rate_kbps, 128);
  EXPECT_EQ(fakes::ReadFile(conversion_file), "[Conversion]\nBitRate=192\nEnabled=0\n");
  // The settings file is not touched by it.
  EXPECT_FALSE(std::filesystem::exists(IniPath()));

  presenter.Add1Click();
  ASSERT_EQ(view_.file_requests.size(), 2u);
  const std::string own_filter =
      "AAC ファイル (*.m4a)|*.m4a|XML ファイル (*.xml, *.rmp)|*.xml;*.rmp|すべてのファイル "
      "(*.*)|*.*";
  EXPECT_EQ(view_.file_requests[0].filter.rfind("音楽ファイル|*.mp3;*.m4a;", 0), 0u);
  EXPECT_NE(view_.file_requests[0].filter.find(";*.flac;"), std::string::npos);
  EXPECT_TRUE(view_.file_requests[0].filter.ends_with("|" + own_filter));
  EXPECT_EQ(view_.file_requests[1].filter, own_filter);

  // With conversion off, the MP3 is refused as before.
  presenter.FilesDropped({mp3});
  EXPECT_EQ(presenter.Rows().RowCount(), 0);
  ASSERT_EQ(view_.boxes.size(), 1u);
  EXPECT_EQ(view_.boxes[0], "追加できる曲情報ではありません.\r\n" + mp3 +
                                "\r\nAAC ファイルでも XML / RMP の曲リストでもありません");
}

}  // namespace
}  // namespace tarvello
