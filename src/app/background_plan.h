#pragma once

// A card's update plan made on a thread of its own, so the window stays responsive while
// the sources are read and the card is compared. One plan at a time: starting another
// cancels the one under way.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "sync/sync_plan.h"

namespace tarvello {

class BackgroundPlan {
 public:
  // Called on the plan's thread with the finished plan; a cancelled plan is not handed on.
  using Done = std::function<void(std::shared_ptr<SyncPlan>)>;

  BackgroundPlan() = default;
  BackgroundPlan(const BackgroundPlan&) = delete;
  BackgroundPlan& operator=(const BackgroundPlan&) = delete;
  // Cancels the plan under way and waits for its thread.
  ~BackgroundPlan();

  void Start(CardProfile profile, std::string root, SyncContext context, Done done);
  // The plan under way stops at its next look at the cancel button.
  void Cancel();
  // Waits until the plan under way has ended.
  void Wait();

 private:
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::thread thread_;
};

}  // namespace tarvello
