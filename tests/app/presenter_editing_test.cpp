// The edit commands through the presenter: the selection's commands, marking, the icon
// click, deletion with its question, the drop, the properties command with its re-read,
// the options dialog's follow-up steps and the About box.

#include <filesystem>
#include <string>
#include <vector>

#include "app/presenter_fixture.h"
#include "catalogue/box_builder.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDeleteQuestion =
    "現在選択されている曲を削除します.\r\n実際のファイルが削除されることはありません.\r\n\r\n"
    "選択されている曲を削除しますか？";

class PresenterEditingTest : public PresenterTest {
 protected:
  // Five songs: copies of the fixtures under names 1..5 in a folder of their own.
  void StartWithFiveSongs() {
    Start();
    const char* fixtures[] = {"tagged.m4a", "japanese.m4a", "faststart.m4a", "tagged.m4a",
                              "faststart.m4a"};
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
      paths.push_back(songs_.Path(std::to_string(i + 1) + ".m4a"));
      fs::copy_file(Fixture(std::string("m4a/") + fixtures[i]), paths.back());
    }
    view_.file_choices.push_back(paths);
    presenter_->Add1Click();
    ASSERT_EQ(presenter_->Rows().RowCount(), 5);
  }

  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    const TrackList& rows = presenter_->Rows();
    for (int i = 0; i < rows.RowCount(); ++i) {
      names.push_back(fs::path(rows.Row(i).sub_items[9]).stem().string());
    }
    return names;
  }

  void Select(std::vector<int> rows) {
    view_.selected_rows = std::move(rows);
    presenter_->lvTrackInfoSelectItem();
  }

  size_t TempFileCount() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(temp_dir_.path()), fs::directory_iterator()));
  }

  TempDir songs_;
};

TEST_F(PresenterEditingTest, CommandsFollowTheSelection) {
  StartWithFiveSongs();
  const Command edit[] = {Command::kCheck1, Command::kUncheck1, Command::kDelete1,
                          Command::kCheck2, Command::kUncheck2, Command::kDelete2};
  Select({2});
  for (Command command : edit) EXPECT_TRUE(view_.IsCommandEnabled(command));
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kProperty1));
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kProperty2));
  Select({1, 2});
  for (Command command : edit) EXPECT_TRUE(view_.IsCommandEnabled(command));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kProperty1));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kProperty2));
  Select({});
  for (Command command : edit) EXPECT_FALSE(view_.IsCommandEnabled(command));

  // Each command with nothing selected switches its own two items off and does nothing.
  view_.enabled.clear();
  presenter_->Check1Click();
  presenter_->Delete1Click();
  presenter_->Property1Click();
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kCheck2));
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kUncheck1));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDelete2));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kProperty2));
  EXPECT_TRUE(view_.boxes.empty());
  EXPECT_TRUE(view_.property_dialogs.empty());
}

TEST_F(PresenterEditingTest, MarkingAndTheIconClickMoveTheSummary) {
  StartWithFiveSongs();
  Select({0, 1, 2});
  presenter_->Uncheck1Click();
  EXPECT_EQ(presenter_->State().totals.Count, 2);
  EXPECT_EQ(view_.status[0].rfind("出力対象 2 / 5, ", 0), 0u) << view_.status[0];
  presenter_->lvTrackInfoIconClick(1);
  EXPECT_EQ(presenter_->Rows().Row(1).icon, kIconMarked);
  presenter_->Check1Click();
  EXPECT_EQ(presenter_->State().totals.Count, 5);
  EXPECT_EQ(view_.status[0].rfind("出力対象 5 / 5, ", 0), 0u) << view_.status[0];
  EXPECT_EQ(view_.cursor_depth, 0);
}

TEST_F(PresenterEditingTest, DeletingAsksAndKeepsTheFiles) {
  StartWithFiveSongs();
  view_.playlist_enabled = true;
  view_.playlist_index = 2;
  Select({1, 3});
  view_.confirm_answers = {false};
  presenter_->Delete1Click();
  ASSERT_EQ(view_.boxes, std::vector<std::string>{kDeleteQuestion});
  EXPECT_EQ(presenter_->Rows().RowCount(), 5);

  view_.confirm_answers = {true};
  presenter_->Delete1Click();
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"1", "3", "5"}));
  EXPECT_EQ(presenter_->State().table.TrackCount(), 3);
  EXPECT_EQ(presenter_->Rows().Row(2).sub_items[10], "00002");
  EXPECT_TRUE(fs::exists(songs_.Path("2.m4a")));
  EXPECT_TRUE(fs::exists(songs_.Path("4.m4a")));
  EXPECT_EQ(view_.playlist_index, -1);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kImport1));
  EXPECT_EQ(presenter_->State().ListedCount, 3);
  EXPECT_EQ(presenter_->State().totals.Count, 3);
  EXPECT_EQ(view_.status[0].rfind("出力対象 3 / 3, ", 0), 0u) << view_.status[0];

  presenter_->lvTrackInfoColumnClick(0);
  presenter_->UnOrder1Click();
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"1", "3", "5"}));
}

TEST_F(PresenterEditingTest, DropMovesRowsAndNamesTheNewSelection) {
  StartWithFiveSongs();
  const DropResult result = presenter_->lvTrackInfoDragDrop({3, 4}, 1);
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"1", "4", "5", "2", "3"}));
  EXPECT_EQ(result.first, 1);
  EXPECT_EQ(result.count, 2);
  EXPECT_EQ(result.focus, 1);
  EXPECT_FALSE(presenter_->lvTrackInfoDragDrop({1, 2}, 2).moved);
  presenter_->UnOrder1Click();
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST_F(PresenterEditingTest, PropertiesReadTheFileAgainAndRefreshItsRow) {
  StartWithFiveSongs();
  // Song 2 is replaced on disk by another song: the dialog and the row show the new tags.
  fs::copy_file(Fixture("m4a/faststart.m4a"), songs_.Path("2.m4a"),
                fs::copy_options::overwrite_existing);
  Select({1});
  presenter_->Property1Click();
  ASSERT_EQ(view_.property_dialogs.size(), 1u);
  EXPECT_EQ(view_.property_dialogs[0].title, "Faststart Tone");
  EXPECT_EQ(view_.property_dialogs[0].file_name, songs_.Path("2.m4a"));
  EXPECT_EQ(view_.property_dialogs[0].file_size, "7.4 KB");
  EXPECT_EQ(presenter_->State().CurrentTrackIndex, 1);
  EXPECT_EQ(presenter_->Rows().Row(1).sub_items[8], "7.4 KB");
  EXPECT_EQ(presenter_->Rows().Row(1).caption, "春の海");  // the caption stays
  EXPECT_EQ(view_.cursor_depth_at_dialog, 0);              // the hourglass is gone first

  // A locked file is read from a copy that does not stay; a missing one shows the record.
  fake_.files.locked.insert(songs_.Path("3.m4a"));
  Select({2});
  presenter_->Property1Click();
  EXPECT_EQ(view_.property_dialogs.back().title, "Faststart Tone");
  EXPECT_EQ(TempFileCount(), 0u);
  fs::remove(songs_.Path("1.m4a"));
  Select({0});
  presenter_->Property1Click();
  EXPECT_EQ(view_.property_dialogs.back().title, "Sine in A");
  // A file that is no longer a song leaves the record as it was.
  fakes::WriteFile(songs_.Path("5.m4a"), "not a song any more");
  Select({4});
  presenter_->Property1Click();
  EXPECT_EQ(view_.property_dialogs.back().title, "Faststart Tone");
  EXPECT_EQ(presenter_->State().table[4].FileSize, 7598);
  EXPECT_EQ(view_.property_dialogs.size(), 4u);
  EXPECT_TRUE(view_.boxes.empty());
}

TEST_F(PresenterEditingTest, TheListShowsThePhonesTextAndThePropertiesTheFilesOwn) {
  Start();
  testing::SongLayout layout;
  layout.items = {testing::TextItem("\xA9nam", "Beyoncé — Halo"), testing::TextItem("\xA9"
                                                                                    "ART",
                                                                                    "Mötley Crüe")};
  const std::string song = songs_.Path("accents.m4a");
  fakes::WriteFile(song, testing::BuildSong(layout));
  view_.file_choices.push_back(std::vector<std::string>{song});
  presenter_->Add1Click();
  Select({0});
  presenter_->Property1Click();
  EXPECT_EQ(presenter_->Rows().Row(0).caption, "Beyonce ― Halo");
  EXPECT_EQ(presenter_->Rows().Row(0).sub_items[kSubArtist], "Motley Crue");
  ASSERT_EQ(view_.property_dialogs.size(), 1u);
  EXPECT_EQ(view_.property_dialogs[0].title, "Beyoncé — Halo");
  EXPECT_EQ(view_.property_dialogs[0].artist, "Mötley Crüe");
}

class PresenterOptionsTest : public PresenterTest {
 protected:
  // A card with an output folder, selected at start.
  void StartWithCard() {
    auto& card = fake_.volumes.AddTemp("CARD", DriveType::kRemovable,
                                       {64 * 1024 * 1024, 16 * 1024 * 1024, 512, 8});
    card_root_ = card.root;
    fakes::WriteFile(card_root_ + "/PRIVATE/AU/DF/D_SD/SDS_0000.3G2", std::string(10, 'x'));
    fs::create_directories(card_root_ + "/MUSIC");
    WriteIni("OUTDRV = " + card_root_ + "\r\nAUTDST = 0\r\n");
    Start();
    ASSERT_GE(view_.drive_index, 0);
  }
  OptionFormValues Values() const { return view_.option_requests.back().values; }

  std::string card_root_;
};

TEST_F(PresenterOptionsTest, TheDialogOpensWithTheOptionsAndCancelChangesNothing) {
  StartWithCard();
  const Settings before = presenter_->State().settings;
  view_.status[1] = "untouched";
  presenter_->Option1Click();
  ASSERT_EQ(view_.option_requests.size(), 1u);
  EXPECT_EQ(Values(),
            (OptionFormValues{"\\PRIVATE\\AU\\DF\\D_SD", "SDS", "3G2", 0, 0, false, true}));
  const auto& mounts = view_.option_requests[0].mount_points;
  EXPECT_NE(std::find(mounts.begin(), mounts.end(), card_root_), mounts.end());
  EXPECT_EQ(presenter_->State().settings, before);
  EXPECT_EQ(view_.status[1], "untouched");
}

TEST_F(PresenterOptionsTest, AConfirmedFolderChangeFollowsTheCard) {
  StartWithCard();
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
  OptionFormValues values = LoadOptionForm(presenter_->State().settings.options);
  values.out_dir = "NOWHERE\\";
  view_.option_answers.push_back(values);
  presenter_->Option1Click();
  EXPECT_EQ(presenter_->State().settings.options.OutDir, "\\NOWHERE");
  EXPECT_EQ(view_.out_dir_label, "\\NOWHERE");
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kDest1));
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kExecute1));  // nothing to output

  values.out_dir = "\\MUSIC";
  values.prefix = "ABC";
  view_.option_answers.push_back(values);
  view_.enabled.erase(Command::kExecute1);
  presenter_->Option1Click();
  EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
  EXPECT_EQ(presenter_->State().settings.options.Prefix, "ABC");
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kExecute1));

  // A change of the prefix alone leaves the output command as it is.
  values.prefix = "XYZ";
  view_.option_answers.push_back(values);
  view_.enabled.erase(Command::kExecute1);
  presenter_->Option1Click();
  EXPECT_EQ(view_.enabled.count(Command::kExecute1), 0u);
  EXPECT_EQ(view_.cursor_depth, 0);
}

TEST_F(PresenterOptionsTest, WithoutADriveTheFolderAloneChanges) {
  Start();
  OptionFormValues values = LoadOptionForm(presenter_->State().settings.options);
  values.out_dir = "";
  values.auto_import = false;
  view_.option_answers.push_back(values);
  view_.enabled.erase(Command::kDest1);
  presenter_->Option1Click();
  EXPECT_EQ(presenter_->State().settings.options.OutDir, "\\");
  EXPECT_FALSE(presenter_->State().settings.options.AutoImport);
  EXPECT_EQ(view_.enabled.count(Command::kDest1), 0u);
  EXPECT_FALSE(view_.IsCommandEnabled(Command::kExecute1));
}

TEST_F(PresenterOptionsTest, AboutShowsTheProgramsVersion) {
  Start();
  presenter_->About1Click();
  ASSERT_EQ(view_.about_dialogs.size(), 1u);
  ASSERT_TRUE(view_.about_dialogs[0].has_value());
  EXPECT_EQ(view_.about_dialogs[0]->product_name, "Tarvello");
  EXPECT_EQ(view_.about_dialogs[0]->product_version, "1.4");
  EXPECT_EQ(view_.about_dialogs[0]->file_version, "1.4.0.0");
}

}  // namespace
}  // namespace tarvello
