#include "app/card_updates.h"

#include <exception>

#include "common/extra_settings.h"
#include "output/drives.h"
#include "output/output_messages.h"
#include "sync/card_songs.h"

namespace tarvello {
namespace {

// The run's progress as the window shows it, but what the run would say in boxes is held
// back for the one report at the end: a box left open in the dialog would keep the
// notification from going out while the user works elsewhere.
class HeldMessagesProgress : public OutputProgress {
 public:
  explicit HeldMessagesProgress(OutputProgress& shown) : shown_(shown) {}

  void SetLabel(const std::string& text) override { shown_.SetLabel(text); }
  void SetMaximum(int maximum) override { shown_.SetMaximum(maximum); }
  int Maximum() const override { return shown_.Maximum(); }
  void Step() override { shown_.Step(); }
  void ProcessEvents() override { shown_.ProcessEvents(); }
  bool CancelRequested() const override { return shown_.CancelRequested(); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Beep() override { shown_.Beep(); }

  std::vector<std::string> messages;

 private:
  OutputProgress& shown_;
};

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

// The bar's tool-tip: each song left out to fit, then each entry that gave no song.
std::string PlanDetails(const SyncPlan& plan) {
  std::vector<std::string> lines = LeftOutLines(plan);
  lines.insert(lines.end(), plan.notes.begin(), plan.notes.end());
  return Lines(lines);
}

}  // namespace

CardUpdates::CardUpdates(FileSystem& files, MainView& view, CardSyncView& card_view,
                         const AppState& state, CardUpdateHooks hooks)
    : files_(files), view_(view), card_view_(card_view), state_(state), hooks_(std::move(hooks)) {}

std::string CardUpdates::ProfilesFile() const {
  return ExtraSettingsFileName(state_.IniFileName);
}

void CardUpdates::Follow(const TDriveInfo& drive, bool inserted) {
  // The plan measures the card itself: a card just listed has not been measured yet.
  const std::optional<std::string> identity = CardIdentity(files_, drive.Root);
  const std::optional<CardProfile> profile =
      identity ? LoadCardProfile(files_, ProfilesFile(), *identity) : std::nullopt;
  if (!profile) {
    // A card without a profile chosen in the box ends the offer for another card.
    if (!inserted) Forget();
    return;
  }
  Forget();
  planned_root_ = drive.Root;
  const uint64_t generation = generation_;
  planner_.Start(*profile, drive.Root, hooks_.context(),
                 [this, generation, name = drive.Name, inserted](std::shared_ptr<SyncPlan> plan) {
                   view_.CallSoon([this, generation, name, inserted, plan = std::move(plan)] {
                     // By value: the handler may wait until a run in progress has ended.
                     hooks_.handle_event([this, generation, plan, name, inserted] {
                       PlanArrived(generation, plan, name, inserted);
                     });
                   });
                 });
}

void CardUpdates::DrivesChanged(const DriveList& drives) {
  if (planned_root_.empty()) return;
  if (FindDrive(drives, planned_root_) < 0) Forget();
}

void CardUpdates::Forget() {
  ++generation_;
  planner_.Cancel();
  planned_root_.clear();
  Drop(offer_.plan);
  offer_ = {};
  card_view_.HideUpdateBar();
}

void CardUpdates::Drop(const std::shared_ptr<SyncPlan>& plan) {
  // The songs it converted may leave the cache again.
  if (!plan || plan->pinned.empty()) return;
  SyncContext context = hooks_.context();
  ReleaseCardSongs(context.cache, plan->pinned);
}

void CardUpdates::PlanArrived(uint64_t generation, const std::shared_ptr<SyncPlan>& plan,
                              const std::string& card_name, bool inserted) {
  if (generation != generation_) {
    Drop(plan);
    return;
  }
  if (plan->Refused() || !plan->Changes()) {
    planned_root_.clear();
    Drop(plan);
    // The card stays as it is; the user learns why it was not brought up to date.
    if (plan->Refused()) view_.ShowInformation(plan->refusal.message);
    return;
  }
  const Offer offer{plan, card_name};
  if (inserted && plan->profile.auto_update) {
    Run(offer);
    return;
  }
  ShowOffer(offer);
}

void CardUpdates::ShowOffer(const Offer& offer) {
  offer_ = offer;
  card_view_.ShowUpdateBar(SyncBarText(*offer.plan, offer.card_name, state_.symbols),
                           PlanDetails(*offer.plan));
}

void CardUpdates::UpdateNow() {
  if (!offer_.plan) return;
  const Offer offer = offer_;
  offer_ = {};
  Run(offer);
}

void CardUpdates::NotNow() {
  // The card stays chosen; the offer comes back when it is chosen or inserted again.
  Forget();
}

void CardUpdates::Run(const Offer& offer) {
  card_view_.HideUpdateBar();
  planned_root_.clear();
  SyncPlan& plan = *offer.plan;
  SyncRunSettings settings = hooks_.run_settings();
  if (plan.NeedsConfirmation()) {
    if (!card_view_.AskChoice(MassRemovalQuestion(plan), kUpdateAnyway)) {
      Drop(offer.plan);
      return;
    }
    settings.confirmed = true;
  }
  SyncContext context = hooks_.context();
  SyncResult result;
  std::vector<std::string> messages;
  // The user works elsewhere when an update starts by itself, or leaves while it runs;
  // the progress dialog may take the focus when it opens, so both ends are asked.
  bool user_here = card_view_.WindowActive();
  // An error inside the dialog's event handler must not cross the event loop.
  std::exception_ptr error;
  hooks_.while_held([&] {
    view_.RunWithProgress([&](OutputProgress& progress) {
      HeldMessagesProgress held(progress);
      try {
        result = RunSync(plan, settings, context, held);
      } catch (...) {
        error = std::current_exception();
      }
      messages = std::move(held.messages);
      // Asked while the dialog is still up: once it closes, the window takes a moment to
      // become the active one again.
      user_here = user_here && card_view_.WindowActive();
    });
  });
  hooks_.after_update();
  if (error) std::rethrow_exception(error);
  Report(plan, result, offer.card_name, messages, user_here);
}

void CardUpdates::Report(const SyncPlan& plan, const SyncResult& result,
                         const std::string& card_name, const std::vector<std::string>& messages,
                         bool user_here) {
  const SyncRefusalKind refusal = result.refusal.kind;
  if (refusal == SyncRefusalKind::kCancelled) {
    if (result.output.incomplete) view_.ShowInformation(kIncompleteFolder);
    return;
  }
  if (refusal != SyncRefusalKind::kNone) {
    view_.ShowInformation(Lines({result.refusal.message, Lines(messages)}));
    return;
  }
  std::vector<std::string> lines{SyncDoneText(plan, result, card_name)};
  for (const std::string& title : result.left_out)
    lines.push_back("入りきらないため除外: " + title);
  lines.insert(lines.end(), result.failures.begin(), result.failures.end());
  for (const std::string& message : messages) {
    // The run's own closing line says less than the update's.
    if (message != CompletionText(result.output.written)) lines.push_back(message);
  }
  const std::string text = Lines(lines);
  if (user_here || !card_view_.Notify("Tarvello", text)) {
    view_.ShowInformation(text);
  }
}

}  // namespace tarvello
