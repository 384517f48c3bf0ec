#pragma once

// Events that come on their own (a conversion that finished, a change of the mounts) while
// a run reads the list must not change it under the run: their handlers wait until the run
// ends, then each runs once, in the order the events first came. Everything here runs on
// the window's thread.

#include <functional>
#include <vector>

namespace tarvello {

enum class HeldEvent {
  kConversionsArrived,
  kVolumesChanged,
  kCardPlanArrived,  // carries its plan: each one waits, none stands for another
};

class HeldEvents {
 public:
  // Holds the handlers for as long as it lives; holds may nest.
  class Hold {
   public:
    explicit Hold(HeldEvents& events) : events_(events) { ++events_.depth_; }
    ~Hold() { events_.Release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    HeldEvents& events_;
  };

  bool Holding() const { return depth_ > 0; }

  // Runs `handler` now, or once the last hold ends; while held, an event that already waits
  // keeps its place and its first handler (but a card plan, which carries its own data).
  // The handler must not throw.
  void Handle(HeldEvent event, std::function<void()> handler);

 private:
  struct Waiting {
    HeldEvent event;
    std::function<void()> handler;
  };

  void Release();

  int depth_ = 0;
  std::vector<Waiting> waiting_;
};

}  // namespace tarvello
