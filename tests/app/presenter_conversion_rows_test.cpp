// Rows of songs being converted, through the presenter with a real queue: each row shows
// its song's state and keeps it through sorting and dragging, the list's order and marks
// decide which song is made next, and an M4A whose audio is ALAC is encoded while an AAC
// one goes as it is.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <thread>

#include "app/conversion_presenter_fixture.h"
#include "catalogue/m4a_reader.h"
#include "convert/made_sources.h"

namespace tarvello {
namespace {

class ConversionRowsTest : public ConversionPresenterTest {
 protected:
  // One worker, so the order in which songs are made is the queue's order.
  MainPresenter& StartWithOneWorker() {
    MainPresenter& presenter = Start();
    presenter.SetConversionThreads(1);
    return presenter;
  }

  std::string Mp3(const std::string& title, double seconds) {
    const std::string path = music_.Path(title + ".mp3");
    EXPECT_TRUE(testing::RunFfmpeg(testing::Tone(seconds) + " -ac 2 -metadata title=" + title +
                                   " " + testing::Quoted(path)));
    return path;
  }

  int RowTitled(const std::string& title) const {
    const TrackList& rows = presenter_->Rows();
    for (int row = 0; row < rows.RowCount(); ++row) {
      if (rows.Row(row).caption == title) return row;
    }
    ADD_FAILURE() << "no row titled " << title;
    return -1;
  }
  const RowConversion& ConversionOf(const std::string& title) const {
    return presenter_->Rows().Row(RowTitled(title)).conversion;
  }
  ConversionState StateOf(const std::string& title) const { return ConversionOf(title).state; }
  std::string RecordFile(const std::string& title) const {
    const TrackTable& table = presenter_->State().table;
    return std::string(FieldText(table[presenter_->Rows().TableIndex(RowTitled(title))].FileName));
  }

  bool Unfinished() const {
    const TrackList& rows = presenter_->Rows();
    for (int row = 0; row < rows.RowCount(); ++row) {
      const ConversionState state = rows.Row(row).conversion.state;
      if (state == ConversionState::kWaiting || state == ConversionState::kConverting) return true;
    }
    return false;
  }

  // Hands the workers' results to the presenter, as the window's event loop does, until
  // no row waits; false after a minute.
  bool RunUntilAllFinished() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Unfinished()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      if (view_.RunCalledSoon() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
};

bool IsCached(const std::string& file, const std::string& cache) {
  return file.rfind(cache + "/tarvello/converted/", 0) == 0;
}

TEST_F(ConversionRowsTest, RowsShowTheirSongsStateThroughSortDragAndWork) {
  // The long song keeps the one worker busy while the list is rearranged.
  const std::string long_song = Mp3("Long", 40);
  const std::string short_song = Mp3("Short", 2);
  const std::string broken = Mp3("Broken", 3);
  const std::string ready = music_.Path("ready.m4a");
  std::filesystem::copy_file(Fixture("m4a/tagged.m4a"), ready);
  MainPresenter& presenter = StartWithOneWorker();
  presenter.FilesDropped({long_song, short_song, broken, ready});
  ASSERT_EQ(presenter.Rows().RowCount(), 4);
  // The file is spoilt while it waits for the worker.
  fakes::WriteFile(broken, std::string(20000, 'x'));

  EXPECT_EQ(StateOf("Short"), ConversionState::kWaiting);
  EXPECT_EQ(StateOf("Broken"), ConversionState::kWaiting);
  EXPECT_EQ(StateOf("Sine in A"), ConversionState::kNone);
  EXPECT_TRUE(ConversionOf("Short").Estimated());
  EXPECT_FALSE(ConversionOf("Sine in A").Estimated());

  // The state is the row's: a sort and a drag carry it along.
  presenter.lvTrackInfoColumnClick(0);  // Broken, Long, Short, Sine in A
  ASSERT_EQ(presenter.Rows().Row(0).caption, "Broken");
  EXPECT_EQ(StateOf("Broken"), ConversionState::kWaiting);
  EXPECT_EQ(StateOf("Sine in A"), ConversionState::kNone);
  const DropResult drop = presenter.lvTrackInfoDragDrop({RowTitled("Sine in A")}, 0);
  ASSERT_TRUE(drop.moved);
  ASSERT_EQ(presenter.Rows().Row(0).caption, "Sine in A");
  EXPECT_EQ(StateOf("Sine in A"), ConversionState::kNone);
  EXPECT_EQ(StateOf("Short"), ConversionState::kWaiting);

  view_.changed_rows.clear();
  ASSERT_TRUE(RunUntilAllFinished());
  EXPECT_EQ(StateOf("Long"), ConversionState::kReady);
  EXPECT_EQ(StateOf("Short"), ConversionState::kReady);
  EXPECT_TRUE(IsCached(RecordFile("Short"), cache_.path())) << RecordFile("Short");
  EXPECT_FALSE(ConversionOf("Short").Estimated());
  // The failed row keeps its reason for the tooltip, and its record stays the source's.
  EXPECT_EQ(StateOf("Broken"), ConversionState::kFailed);
  EXPECT_FALSE(ConversionOf("Broken").failure.empty());
  EXPECT_EQ(RecordFile("Broken"), broken);
  // One line in the status bar names the file and the reason.
  EXPECT_NE(view_.status[1].find(broken + ": " + ConversionOf("Broken").failure), std::string::npos)
      << view_.status[1];
  // The song never converted looks as it always did, and was never redrawn for the others.
  EXPECT_EQ(StateOf("Sine in A"), ConversionState::kNone);
  EXPECT_EQ(RecordFile("Sine in A"), ready);
  ASSERT_FALSE(view_.changed_rows.empty());
  for (const auto& [first, last] : view_.changed_rows) {
    EXPECT_GT(first, 0) << first << ".." << last;
    EXPECT_LE(first, last);
  }

  // Mended and added again, the song is queued again, and both its rows say so.
  ASSERT_TRUE(testing::RunFfmpeg(testing::Tone(2) + " -ac 2 -metadata title=Broken " +
                                 testing::Quoted(broken)));
  presenter.FilesDropped({broken});
  ASSERT_EQ(presenter.Rows().RowCount(), 5);
  EXPECT_EQ(presenter.Rows().Row(4).conversion.state, ConversionState::kWaiting);
  EXPECT_EQ(StateOf("Broken"), ConversionState::kWaiting);  // the first of the two
  EXPECT_TRUE(ConversionOf("Broken").failure.empty());
  ASSERT_TRUE(RunUntilAllFinished());
  EXPECT_EQ(StateOf("Broken"), ConversionState::kReady);
  EXPECT_EQ(presenter.Rows().Row(4).conversion.state, ConversionState::kReady);
  EXPECT_TRUE(IsCached(RecordFile("Broken"), cache_.path()));
}

// What rearranges the list before the songs are made, and the order they are made in.
struct Reordering {
  const char* name;
  std::function<void(MainPresenter&, RecordingView&)> command;
  std::vector<std::string> made_in_order;
};

void PrintTo(const Reordering& reordering, std::ostream* out) {
  *out << reordering.name;
}

class ConversionOrderTest : public ConversionRowsTest,
                            public ::testing::WithParamInterface<Reordering> {};

TEST_P(ConversionOrderTest, TheListsOrderAndMarksDecideWhatIsMadeNext) {
  std::map<std::string, std::string> paths = {{"Long", Mp3("Long", 40)}};
  for (const char* title : {"S1", "S2", "S3"}) paths[title] = Mp3(title, 2);
  MainPresenter& presenter = StartWithOneWorker();
  presenter.FilesDropped({paths["Long"], paths["S1"], paths["S2"], paths["S3"]});
  ASSERT_EQ(presenter.Rows().RowCount(), 4);
  GetParam().command(presenter, view_);
  ASSERT_TRUE(RunUntilAllFinished());
  // The songs of deleted rows are not made; the summary stops counting them.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (view_.status[0].find("変換待ち") != std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    if (view_.RunCalledSoon() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(view_.status[0].find("変換待ち"), std::string::npos) << view_.status[0];
  // Deleted rows are added again once everything else is made, and their songs follow.
  for (const char* title : {"S1", "S2", "S3"}) {
    const TrackList& rows = presenter.Rows();
    bool listed = false;
    for (int row = 0; row < rows.RowCount(); ++row) listed |= rows.Row(row).caption == title;
    if (!listed) presenter.FilesDropped({paths[title]});
  }
  ASSERT_TRUE(RunUntilAllFinished());

  // With one worker, the songs were written one after another: their times tell the order.
  std::vector<std::pair<std::filesystem::file_time_type, std::string>> made;
  for (const char* title : {"S1", "S2", "S3"}) {
    EXPECT_EQ(StateOf(title), ConversionState::kReady) << title;
    const std::string song = RecordFile(title);
    ASSERT_TRUE(IsCached(song, cache_.path())) << title << " " << song;
    // A row added again after its song was made shows the user's file all the same.
    EXPECT_EQ(presenter.Rows().Row(RowTitled(title)).sub_items[kSubFileName], paths[title]);
    made.emplace_back(std::filesystem::last_write_time(song), title);
  }
  std::sort(made.begin(), made.end());
  std::vector<std::string> order;
  for (const auto& [time, title] : made) order.push_back(title);
  EXPECT_EQ(order, GetParam().made_in_order);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ConversionOrderTest,
    ::testing::Values(Reordering{"MarkingOnlyTheLastRow",
                                 [](MainPresenter& presenter, RecordingView& view) {
                                   view.selected_rows = {0, 1, 2, 3};
                                   presenter.Uncheck1Click();
                                   view.selected_rows = {3};
                                   presenter.Check1Click();
                                 },
                                 {"S3", "S1", "S2"}},
                      Reordering{"ClickingTheIconOfTheLastRowAfterUnmarkingAll",
                                 [](MainPresenter& presenter, RecordingView& view) {
                                   view.selected_rows = {0, 1, 2, 3};
                                   presenter.Uncheck1Click();
                                   presenter.lvTrackInfoIconClick(3);
                                 },
                                 {"S3", "S1", "S2"}},
                      Reordering{"DraggingTheLastRowUp",
                                 [](MainPresenter& presenter, RecordingView&) {
                                   ASSERT_TRUE(presenter.lvTrackInfoDragDrop({3}, 1).moved);
                                 },
                                 {"S3", "S1", "S2"}},
                      Reordering{"SortingByTitleDescending",
                                 [](MainPresenter& presenter, RecordingView&) {
                                   presenter.lvTrackInfoColumnClick(0);
                                   presenter.lvTrackInfoColumnClick(0);
                                   ASSERT_EQ(presenter.Rows().Row(0).caption, "S3");
                                 },
                                 {"S3", "S2", "S1"}},
                      Reordering{"DeletingTheRowsBefore",
                                 [](MainPresenter& presenter, RecordingView& view) {
                                   view.selected_rows = {1, 2};
                                   view.confirm_answers.push_back(true);
                                   presenter.Delete1Click();
                                   ASSERT_EQ(presenter.Rows().RowCount(), 2);
                                 },
                                 {"S3", "S1", "S2"}}),
    [](const ::testing::TestParamInfo<Reordering>& info) { return info.param.name; });

TEST_F(ConversionRowsTest, AnAlacSongIsEncodedWhileAnAacSongGoesAsItIs) {
  const std::string alac = music_.Path("lossless.m4a");
  ASSERT_TRUE(testing::RunFfmpeg(testing::Tone(3) +
                                 " -ac 2 -c:a alac -f ipod -movflags +faststart -metadata "
                                 "title=Lossless " +
                                 testing::Quoted(alac)));
  const std::string aac = music_.Path("aac.m4a");
  std::filesystem::copy_file(Fixture("m4a/tagged.m4a"), aac);
  const std::string aac_bytes = fakes::ReadFile(aac);
  MainPresenter& presenter = Start();
  presenter.FilesDropped({alac, aac});
  ASSERT_EQ(presenter.State().table.TrackCount(), 2);  // no record of the ALAC as it is
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_NE(StateOf("Lossless"), ConversionState::kNone);
  EXPECT_EQ(RecordFile("Lossless"), alac);
  ASSERT_TRUE(RunUntilAllFinished());

  EXPECT_EQ(StateOf("Lossless"), ConversionState::kReady);
  const std::string song = RecordFile("Lossless");
  ASSERT_TRUE(IsCached(song, cache_.path())) << song;
  auto record = std::make_unique<TTrackInfo>();
  const M4aVerdict verdict = ReadM4aRecord(fake_.files.real(), *record, song, song);
  EXPECT_TRUE(verdict.Accepted());
  EXPECT_FALSE(verdict.AudioIsNotAac());
  EXPECT_EQ(presenter.Rows().Row(RowTitled("Lossless")).sub_items[kSubFileName], alac);
  // The AAC song is its own file, untouched.
  EXPECT_EQ(StateOf("Sine in A"), ConversionState::kNone);
  EXPECT_EQ(RecordFile("Sine in A"), aac);
  EXPECT_EQ(fakes::ReadFile(aac), aac_bytes);
}

}  // namespace
}  // namespace tarvello

namespace tarvello {
namespace {

TEST_F(ConversionRowsTest, CancellingTheOutputStopsTheWorkAndTheNextOutputTakesItUp) {
  fakes::FakeVolume& card =
      fake_.volumes.AddTemp("CARD", DriveType::kRemovable, VolumeSpace{64 << 20, 32 << 20, 512, 8});
  WriteIni("OUTDRV = " + card.root + "\r\nAUTDST = 0\r\n");
  MainPresenter& presenter = StartWithOneWorker();
  presenter.FilesDropped({Mp3("Long", 40), Mp3("Short", 2)});
  ASSERT_EQ(presenter.Rows().RowCount(), 2);
  const std::string folder = card.root + "/PRIVATE/AU/DF/D_SD";

  // Cancel is pressed while the dialog waits for the songs.
  view_.confirm_answers.push_back(true);
  view_.progress.press_cancel = [](const testing::RecordingProgress& progress) {
    return !progress.labels.empty() && progress.labels.back().starts_with("変換中...");
  };
  presenter.Execute1Click();
  EXPECT_FALSE(std::filesystem::exists(folder + "/SDS_0001.3G2"));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while ((StateOf("Long") != ConversionState::kCancelled ||
          StateOf("Short") != ConversionState::kCancelled) &&
         std::chrono::steady_clock::now() < deadline) {
    if (view_.RunCalledSoon() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(StateOf("Long"), ConversionState::kCancelled);
  EXPECT_EQ(StateOf("Short"), ConversionState::kCancelled);
  EXPECT_TRUE(ConversionOf("Short").Estimated());

  // The next output queues them again, waits for them and writes the songs made.
  view_.confirm_answers.push_back(true);
  view_.progress.press_cancel = nullptr;
  view_.progress.cancel = false;
  presenter.Execute1Click();
  EXPECT_EQ(StateOf("Long"), ConversionState::kReady);
  EXPECT_EQ(StateOf("Short"), ConversionState::kReady);
  EXPECT_EQ(view_.progress.messages.back(), "出力先フォルダへ 2 曲を出力しました.");
  EXPECT_TRUE(std::filesystem::exists(folder + "/SDS_0001.3G2"));
}

}  // namespace
}  // namespace tarvello
