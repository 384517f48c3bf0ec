#include "app/background_plan.h"

#include <exception>
#include <vector>

#include "output/output_progress.h"

namespace tarvello {
namespace {

// The plan's progress: nobody watches it; its cancel button is the flag, and what it
// would show in boxes joins the plan's notes.
class ThreadProgress : public OutputProgress {
 public:
  explicit ThreadProgress(std::shared_ptr<std::atomic<bool>> cancel) : cancel_(std::move(cancel)) {}

  void SetLabel(const std::string&) override {}
  void SetMaximum(int maximum) override { maximum_ = maximum; }
  int Maximum() const override { return maximum_; }
  void Step() override {}
  void ProcessEvents() override {}
  bool CancelRequested() const override { return cancel_->load(); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Beep() override {}

  std::vector<std::string> messages;

 private:
  std::shared_ptr<std::atomic<bool>> cancel_;
  int maximum_ = 0;
};

}  // namespace

BackgroundPlan::~BackgroundPlan() {
  Cancel();
  Wait();
}

void BackgroundPlan::Start(CardProfile profile, std::string root, SyncContext context, Done done) {
  Cancel();
  Wait();
  cancel_ = std::make_shared<std::atomic<bool>>(false);
  thread_ = std::thread([cancel = cancel_, profile = std::move(profile), root = std::move(root),
                         context, done = std::move(done)]() mutable {
    ThreadProgress progress(cancel);
    auto plan = std::make_shared<SyncPlan>();
    try {
      *plan = MakeSyncPlan(profile, root, context, progress);
    } catch (const std::exception& error) {
      // Nothing was written; the window says why, as a refused plan.
      plan->profile = profile;
      plan->root = root;
      plan->refusal = {SyncRefusalKind::kError, error.what()};
    }
    if (cancel->load() || plan->refusal.kind == SyncRefusalKind::kCancelled) return;
    plan->notes.insert(plan->notes.end(), progress.messages.begin(), progress.messages.end());
    done(std::move(plan));
  });
}

void BackgroundPlan::Cancel() {
  if (cancel_) cancel_->store(true);
}

void BackgroundPlan::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace tarvello
