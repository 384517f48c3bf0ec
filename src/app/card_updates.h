#pragma once

// A card that remembers its sources is brought up to date from the window: when it is
// chosen in the drive box or appears in the drive list, its update is planned off the
// window's thread and offered in the bar above the list (or started at once when the card
// was inserted and its profile says so). The update runs in the output's progress
// dialog, leaves the window's list alone, and ends with a box, or with a desktop
// notification when the user works elsewhere.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/background_plan.h"
#include "app/card_sync_view.h"
#include "app/main_view.h"
#include "output/drive_list.h"
#include "sync/sync_run.h"

namespace tarvello {

// What an update needs of the program around it, asked afresh each time.
struct CardUpdateHooks {
  std::function<SyncContext()> context;
  std::function<SyncRunSettings()> run_settings;
  // Runs a handler of an event that came by itself, as the window runs its commands
  // (errors end in a box; a run in progress may hold it back).
  std::function<void(std::function<void()>)> handle_event;
  // Runs the update so that events that come by themselves meanwhile wait until it ends.
  std::function<void(const std::function<void()>&)> while_held;
  // After an update: the window's drive status, summary and commands follow the card.
  std::function<void()> after_update;
};

inline constexpr const char* kUpdateAnyway = "更新する";

class CardUpdates {
 public:
  CardUpdates(FileSystem& files, MainView& view, CardSyncView& card_view, const AppState& state,
              CardUpdateHooks hooks);

  // `drive` was chosen in the drive box, or (`inserted`) has just appeared in the drive
  // list. With a profile its update is planned; without one the bar goes.
  void Follow(const TDriveInfo& drive, bool inserted);
  // The drive list changed: a plan or bar for a card that left it goes.
  void DrivesChanged(const DriveList& drives);
  // The bar's buttons.
  void UpdateNow();
  void NotNow();
  // Waits until the plan under way, if any, has been handed to the window's thread.
  void WaitForPlan() { planner_.Wait(); }

 private:
  struct Offer {
    std::shared_ptr<SyncPlan> plan;
    std::string card_name;
  };

  std::string ProfilesFile() const;
  void PlanArrived(uint64_t generation, const std::shared_ptr<SyncPlan>& plan,
                   const std::string& card_name, bool inserted);
  void ShowOffer(const Offer& offer);
  void Run(const Offer& offer);
  // `user_here`: the user works in the program, which shows the report in a box.
  void Report(const SyncPlan& plan, const SyncResult& result, const std::string& card_name,
              const std::vector<std::string>& messages, bool user_here);
  // Ends the plan under way and the offer.
  void Forget();
  void Drop(const std::shared_ptr<SyncPlan>& plan);

  FileSystem& files_;
  MainView& view_;
  CardSyncView& card_view_;
  const AppState& state_;
  CardUpdateHooks hooks_;
  uint64_t generation_ = 0;   // plans of an earlier generation are stale
  std::string planned_root_;  // the card whose plan is under way or offered
  Offer offer_;
  BackgroundPlan planner_;  // last: its thread ends before the rest goes
};

}  // namespace tarvello
