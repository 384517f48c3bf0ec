// Cards that keep themselves up to date: the card's content dialog, the plan offered for
// a chosen or inserted card, the update, and the fit offered when the marked songs do not
// fit. The work is the card parts' and the sync layer's; this only wires them.

#include <algorithm>

#include "app/main_presenter.h"
#include "common/cp932.h"
#include "output/drives.h"
#include "output/known_contents.h"
#include "output/output_messages.h"
#include "output/output_summary.h"

namespace tarvello {

void MainPresenter::SetCardSyncView(CardSyncView* view) {
  cards_.reset();
  if (view == nullptr) return;
  CardUpdateHooks hooks;
  hooks.context = [this] { return CardSyncContext(); };
  hooks.run_settings = [this] {
    return SyncRunSettings{state_.BackupFolder, card_options_.verify(), false};
  };
  // A plan that arrives while an output or another update runs waits for its end: an
  // automatic update must never start inside another run.
  hooks.handle_event = [this](const std::function<void()>& handler) {
    held_events_.Handle(HeldEvent::kCardPlanArrived, [this, handler] { RunCommand(handler); });
  };
  hooks.while_held = [this](const std::function<void()>& run) {
    const HeldEvents::Hold hold(held_events_);
    run();
  };
  hooks.after_update = [this] { AfterCardUpdate(); };
  cards_ = std::make_unique<CardSync>(platform_.files, view_, *view, state_, std::move(hooks));
  UpdateCardCommands();
}

void MainPresenter::WaitForCardPlan() {
  if (cards_) cards_->updates.WaitForPlan();
}

SyncContext MainPresenter::CardSyncContext() {
  ConversionQueue& queue = Conversions();
  SyncContext context{platform_, queue.Cache()};
  context.convert = queue.Settings().enabled;
  context.hash_cache_folder = DefaultHashCacheFolder(platform_.environment);
  context.players = PlayerFoldersOf(platform_.environment);
  context.temp_folder = state_.TempFolder;
  context.program_options = state_.settings.options;
  return context;
}

void MainPresenter::UpdateCardCommands() {
  if (cards_) cards_->view.SetCardContentEnabled(SelectedDrive() != nullptr);
}

void MainPresenter::CardContent1Click() {
  RunCommand([&] {
    if (!cards_ || SelectedDrive() == nullptr) return;
    // Measured afresh: a card that was pulled has no identity to read.
    ShowDriveStatus();
    const TDriveInfo* drive = SelectedDrive();
    if (!drive->HasMedium) {
      view_.ShowInformation(state_.DriveStatusText);
      return;
    }
    if (cards_->editor.Edit(*drive, CardOffers())) cards_->updates.Follow(*drive, false);
  });
}

CardProfileOffers MainPresenter::CardOffers() {
  CardProfileOffers offers;
  offers.library_file = state_.LibraryFileName;
  for (const std::string& name : state_.PlaylistNames) {
    offers.library_playlists.push_back(Cp932ToUtf8(name));
  }
  offers.player_playlists = players_.Choices();
  for (int row = 0; row < state_.rows.RowCount(); ++row) {
    const TrackRow& shown = state_.rows.Row(row);
    // The listed path is the user's file, also for a song that was converted.
    if (shown.icon == kIconMarked) offers.marked_songs.push_back(shown.sub_items[kSubFileName]);
  }
  const TOutputOptions& options = state_.settings.options;
  offers.defaults.title_format = options.TitleFormat;
  offers.defaults.separator = options.Separator;
  offers.defaults.backup = options.BackupBeforeOutput;
  offers.defaults.bit_rate_kbps = Conversions().Settings().bit_rate_kbps;
  return offers;
}

void MainPresenter::FollowChosenCard() {
  if (!cards_) return;
  const TDriveInfo* drive = SelectedDrive();
  if (drive != nullptr) {
    cards_->updates.Follow(*drive, false);
  } else {
    cards_->updates.DrivesChanged(state_.drives);
  }
}

void MainPresenter::FollowInsertedCards(const DriveList& before) {
  if (!cards_) return;
  cards_->updates.DrivesChanged(state_.drives);
  for (int index = 0; index < state_.drives.DriveCount; ++index) {
    const TDriveInfo& drive = state_.drives.entries[index];
    if (FindDrive(before, drive.Root) < 0) cards_->updates.Follow(drive, true);
  }
}

void MainPresenter::UpdateCardClick() {
  RunCommand([&] {
    if (cards_) cards_->updates.UpdateNow();
  });
}

void MainPresenter::NotNowClick() {
  if (cards_) cards_->updates.NotNow();
}

void MainPresenter::AfterCardUpdate() {
  backups_.KeepNewest();
  ShowDriveStatus();
  UpdateDestEnabling();
  UpdateEjectEnabling();
  ShowOutputSummary(true);
}

bool MainPresenter::FitMarkedSongs(const TDriveInfo& drive) {
  std::vector<int> changed;
  const FitAnswer answer = cards_ ? cards_->fit.Offer(state_.rows, state_.table, drive,
                                                      Conversions().Settings().bit_rate_kbps,
                                                      Conversions().Cache(), changed)
                                  : FitAnswer::kNoOffer;
  if (answer == FitAnswer::kNoOffer) view_.ShowInformation(kNotEnoughRoom);
  if (!changed.empty()) {
    const auto [first, last] = std::minmax_element(changed.begin(), changed.end());
    view_.RowsChanged(*first, *last);
  }
  if (answer == FitAnswer::kNoOffer || answer == FitAnswer::kDeclined) return false;
  // The card is measured again: the drive list may have been read afresh meanwhile.
  ShowDriveStatus();
  ShowOutputSummary(true);
  if (answer != FitAnswer::kFitted) return false;
  // The re-encodes came out larger than their estimate and the songs still do not fit.
  if (!ExecuteAllowed(state_.totals, SelectedDrive())) {
    view_.ShowInformation(kNotEnoughRoom);
    return false;
  }
  return true;
}

void MainPresenter::ReleaseFittedSongs() {
  if (cards_ && conversions_) cards_->fit.Release(conversions_->Cache());
}

}  // namespace tarvello
