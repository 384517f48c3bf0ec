// Cards that keep themselves up to date, through the presenter: the plan offered when a
// card with a profile is chosen or inserted, the update and its report, the refusals, the
// mass-removal question, the content command, and the fit offered to the output command.

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/presenter_fixture.h"
#include "common/extra_settings.h"
#include "fakes/recording_card_view.h"
#include "sync/card_profile.h"

namespace tarvello {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::StartsWith;

constexpr const char* kIdentity = "1234-ABCD";

class PresenterCardsTest : public PresenterTest {
 protected:
  PresenterCardsTest() {
    for (const char* name : {"tagged.m4a", "japanese.m4a", "faststart.m4a", "isom_brand.m4a"}) {
      std::filesystem::copy_file(Fixture(std::string("m4a/") + name), music_.Path(name));
    }
  }

  void AddCard(bool inserted_later = false, VolumeSpace space = {64 << 20, 32 << 20, 512, 8}) {
    card_ = &fake_.volumes.AddTemp("CARD", DriveType::kRemovable, space);
    card_->removed = inserted_later;
    fake_.files.volume_names[card_->root] = kIdentity;
  }
  // A profile of the music folder and `more`.
  void SaveProfile(bool auto_update = false, std::vector<CardSource> more = {}) {
    more.insert(more.begin(), MusicFolder());
    ASSERT_TRUE(SaveCardProfile(fake_.files, ProfilesFile(), {kIdentity, more, {}, auto_update}));
  }
  std::string ProfilesFile() const { return ExtraSettingsFileName(IniPath()); }
  CardSource MusicFolder() const { return {CardSourceKind::kFolder, music_.path(), {}, {}}; }
  void StartWindow() {
    WriteIni("AUTDST = 0\r\n");
    presenter_ = std::make_unique<MainPresenter>(fake_.platform, view_, NumberSymbols{},
                                                 std::make_unique<ByteOrderCollator>());
    presenter_->SetCardSyncView(&cards_);
    presenter_->FormCreate({1024, 768});
  }
  void StartWithProfiledCard(bool auto_update = false, bool inserted_later = false) {
    AddCard(inserted_later);
    SaveProfile(auto_update);
    StartWindow();
  }
  void ChooseCard() {
    view_.drive_index = 0;
    presenter_->cbxDrivesChange(0);
  }
  // The plan made off the window's thread reaches the window.
  void TakePlan() {
    presenter_->WaitForCardPlan();
    view_.RunCalledSoon();
  }
  void ChooseAndPlan() {
    ChooseCard();
    TakePlan();
  }
  void SetCardIn(bool in) {
    card_->removed = !in;
    presenter_->VolumesChanged();
  }
  std::string Folder() const { return card_->root + "/PRIVATE/AU/DF/D_SD"; }
  long CardSongs() const {
    return std::ranges::count_if(fakes::FileNamesIn(Folder()),
                                 [](const std::string& name) { return name.ends_with(".3G2"); });
  }

  TempDir music_;
  fakes::FakeVolume* card_ = nullptr;
  testing::RecordingCardView cards_;
};

TEST_F(PresenterCardsTest, ChosenCardIsOfferedItsUpdateAndTheUpdateReportsInABoxOrANotification) {
  StartWithProfiledCard();
  presenter_->FilesDropped({Fixture("m4a/tagged.m4a")});
  view_.boxes.clear();
  EXPECT_FALSE(cards_.content_enabled);
  ChooseAndPlan();
  EXPECT_TRUE(cards_.content_enabled);
  EXPECT_THAT(cards_.bar, StartsWith("カード CARD を更新できます: 4 曲を追加 ("));
  EXPECT_THAT(view_.boxes, IsEmpty());
  presenter_->NotNowClick();
  EXPECT_THAT(cards_.bar, IsEmpty());
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_FALSE(std::filesystem::exists(Folder()));

  // Chosen again, the card is offered its update again. In the window the report is a box;
  // elsewhere a notification, or a box when the desktop shows none. From the second round
  // on the folder has lost a song, so there is something to update.
  const struct {
    bool active, notifier;
    size_t boxes, notifications;
  } cases[] = {{true, true, 1, 0}, {false, true, 0, 1}, {false, false, 1, 1}};
  for (long round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    if (round > 0) std::filesystem::remove(music_.Path(round == 1 ? "tagged.m4a" : "japanese.m4a"));
    cards_.active = cases[round].active;
    cards_.notifier_answers = cases[round].notifier;
    cards_.notifications.clear();
    ChooseAndPlan();
    view_.boxes.clear();
    presenter_->UpdateCardClick();

    EXPECT_THAT(cards_.bar, IsEmpty());
    EXPECT_EQ(CardSongs(), 4 - round);
    EXPECT_EQ(presenter_->Rows().RowCount(), 1);  // the list is the user's, untouched
    EXPECT_TRUE(view_.IsCommandEnabled(Command::kDest1));
    ASSERT_THAT(view_.boxes, SizeIs(cases[round].boxes));
    ASSERT_THAT(cards_.notifications, SizeIs(cases[round].notifications));
    std::vector<std::string> reports = view_.boxes;
    reports.insert(reports.end(), cards_.notifications.begin(), cards_.notifications.end());
    // The run's own closing line is not repeated under the update's.
    EXPECT_THAT(reports, Each(AllOf(StartsWith("カード CARD を更新しました"),
                                    Not(HasSubstr("出力先フォルダへ")))));
  }
}

TEST_F(PresenterCardsTest, InsertedCardUpdatesItselfWhenItsProfileSaysSo) {
  StartWithProfiledCard(true, true);
  cards_.active = false;  // the user works in another program when the card goes in
  SetCardIn(true);
  TakePlan();
  EXPECT_EQ(cards_.bars_shown, 0);
  EXPECT_EQ(view_.progress_dialogs, 1);
  EXPECT_EQ(CardSongs(), 4);
  EXPECT_THAT(cards_.notifications, SizeIs(1));
  EXPECT_THAT(view_.boxes, IsEmpty());

  // Without the option, an inserted card is only offered its update.
  SetCardIn(false);
  SaveProfile(false);
  std::filesystem::remove(music_.Path("tagged.m4a"));
  SetCardIn(true);
  TakePlan();
  EXPECT_THAT(cards_.bar, StartsWith("カード CARD を更新できます: 1 曲を削除"));
  EXPECT_EQ(view_.progress_dialogs, 1);
  // The card leaves before the user answers: the offer goes with it.
  SetCardIn(false);
  EXPECT_THAT(cards_.bar, IsEmpty());
}

// The progress dialog lets events through: a plan that comes meanwhile must not start an
// update inside the output; it waits, then runs.
TEST_F(PresenterCardsTest, AnAutomaticUpdateWhosePlanArrivesDuringAnOutputWaitsForItsEnd) {
  StartWithProfiledCard(true, true);
  cards_.active = false;
  SetCardIn(true);  // its plan is being made off the window's thread
  presenter_->FilesDropped({music_.Path("tagged.m4a")});
  int dialogs_when_the_plan_came = -1;
  view_.progress.press_cancel = [&](const testing::RecordingProgress&) {
    if (dialogs_when_the_plan_came < 0) {
      presenter_->WaitForCardPlan();
      view_.RunCalledSoon();
      dialogs_when_the_plan_came = view_.progress_dialogs;
    }
    return false;
  };
  view_.confirm_answers = {true};
  presenter_->Execute1Click();
  EXPECT_EQ(dialogs_when_the_plan_came, 1);
  EXPECT_EQ(view_.progress_dialogs, 2);  // the update ran once the output had ended
  EXPECT_EQ(CardSongs(), 4);
}

TEST_F(PresenterCardsTest, RefusedPlanSaysWhyAndLeavesTheCardUntouched) {
  AddCard();
  const TempDir empty;
  for (const CardSource& source :
       {CardSource{CardSourceKind::kFolder, music_.Path("gone"), {}, {}},
        CardSource{CardSourceKind::kFolder, empty.path(), {}, {}},
        CardSource{CardSourceKind::kPlaylistFile, music_.Path("gone.m3u8"), {}, {}}}) {
    SCOPED_TRACE(source.path);
    view_.boxes.clear();
    SaveProfile(false, {source});
    StartWindow();
    ChooseAndPlan();
    ASSERT_THAT(view_.boxes, SizeIs(1));
    EXPECT_THAT(view_.boxes[0], HasSubstr(source.path));
    EXPECT_THAT(cards_.bar, IsEmpty());
    EXPECT_EQ(view_.progress_dialogs, 0);
    EXPECT_FALSE(std::filesystem::exists(Folder()));
  }
}

TEST_F(PresenterCardsTest, RemovingMoreThanHalfOfTheCardsSongsAsksFirstNamingTheCount) {
  StartWithProfiledCard();
  ChooseAndPlan();
  presenter_->UpdateCardClick();
  ASSERT_EQ(CardSongs(), 4);
  const auto before = fakes::FolderContents(Folder());
  for (const char* name : {"tagged.m4a", "japanese.m4a", "faststart.m4a"}) {
    std::filesystem::remove(music_.Path(name));
  }
  for (const bool accept : {false, true}) {
    SCOPED_TRACE(accept);
    ChooseAndPlan();
    cards_.choices.clear();
    cards_.choice_answers = {accept};
    presenter_->UpdateCardClick();
    ASSERT_THAT(cards_.choices, SizeIs(1));
    EXPECT_THAT(cards_.choices[0].first, HasSubstr("4 曲のうち 3 曲が削除されます"));
    EXPECT_EQ(cards_.choices[0].second, "更新する");
    if (!accept) {
      EXPECT_EQ(fakes::FolderContents(Folder()), before);
    }
  }
  EXPECT_EQ(CardSongs(), 1);
}

TEST_F(PresenterCardsTest, ContentCommandSavesTheProfileWithTheCurrentListAndOffersTheUpdate) {
  AddCard();
  StartWindow();
  ChooseAndPlan();
  EXPECT_EQ(cards_.bars_shown, 0);  // no profile, nothing offered
  presenter_->FilesDropped({music_.Path("japanese.m4a"), music_.Path("tagged.m4a")});
  CardProfileForm answer;
  answer.sources = {CurrentListSource(), MusicFolder()};
  answer.output.bit_rate_kbps = 160;
  cards_.dialog_answers = {answer};
  presenter_->CardContent1Click();

  ASSERT_THAT(cards_.dialog_requests, SizeIs(1));
  const CardProfileRequest& request = cards_.dialog_requests[0];
  EXPECT_EQ(request.card_name, "CARD");
  EXPECT_EQ(request.marked_rows, 2);
  EXPECT_THAT(request.form.sources, IsEmpty());
  EXPECT_EQ(request.form.output.bit_rate_kbps, 128);  // a new profile takes the window's
  const auto saved = LoadCardProfile(fake_.files, ProfilesFile(), kIdentity);
  ASSERT_TRUE(saved.has_value());
  ASSERT_THAT(saved->sources, SizeIs(2));
  EXPECT_EQ(saved->sources[0].kind, CardSourceKind::kSavedList);
  EXPECT_THAT(fakes::ReadFile(saved->sources[0].path), HasSubstr(music_.Path("tagged.m4a")));
  EXPECT_EQ(saved->output.bit_rate_kbps, 160);
  TakePlan();
  EXPECT_THAT(cards_.bar, StartsWith("カード CARD を更新できます: 4 曲を追加"));

  // Cancel leaves the profile as it was; the dialog shows what it holds.
  presenter_->CardContent1Click();
  EXPECT_EQ(cards_.dialog_requests.back().form.sources, saved->sources);
  EXPECT_EQ(LoadCardProfile(fake_.files, ProfilesFile(), kIdentity), saved);
}

TEST_F(PresenterCardsTest, CardWithoutAnIdentityCannotTakeAProfile) {
  AddCard();
  fake_.files.volume_names.clear();
  StartWindow();
  ChooseCard();
  presenter_->CardContent1Click();
  EXPECT_THAT(view_.boxes, ::testing::ElementsAre(kNoCardIdentity));
  // A card pulled since it was chosen is said to be gone, not to lack an identity.
  card_->no_medium = true;
  presenter_->CardContent1Click();
  EXPECT_EQ(view_.boxes.back(), "CARD: メディアが挿入されていません.");
  EXPECT_THAT(cards_.dialog_requests, IsEmpty());
}

TEST_F(PresenterCardsTest, OutputThatDoesNotFitOffersTheFitAndTheRefusalStaysWhenDeclined) {
  // Room for the first two songs and the management files, not for the third.
  AddCard(false, {64 << 20, 40 << 10, 512, 8});
  StartWindow();
  ChooseCard();
  presenter_->FilesDropped(
      {music_.Path("japanese.m4a"), music_.Path("faststart.m4a"), music_.Path("tagged.m4a")});
  ASSERT_FALSE(view_.IsCommandEnabled(Command::kExecute1));

  cards_.choice_answers = {false};
  presenter_->Execute1Click();
  ASSERT_THAT(cards_.choices, SizeIs(1));
  EXPECT_THAT(cards_.choices[0].first, StartsWith("出力先の空き領域が十分ではありません."));
  EXPECT_THAT(cards_.choices[0].first, HasSubstr("除外"));
  EXPECT_EQ(cards_.choices[0].second, "カードに合わせる");
  EXPECT_EQ(view_.progress_dialogs, 0);
  EXPECT_FALSE(std::filesystem::exists(Folder()));
  EXPECT_EQ(presenter_->Rows().Row(2).icon, kIconMarked);

  cards_.choice_answers = {true};
  view_.confirm_answers = {true};
  presenter_->Execute1Click();
  EXPECT_NE(presenter_->Rows().Row(2).icon, kIconMarked);  // left out from the end
  EXPECT_EQ(CardSongs(), 2);
}

}  // namespace
}  // namespace tarvello
