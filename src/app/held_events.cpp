#include "app/held_events.h"

#include <algorithm>
#include <utility>

namespace tarvello {

void HeldEvents::Handle(HeldEvent event, std::function<void()> handler) {
  if (!Holding()) {
    handler();
    return;
  }
  const bool waits = std::any_of(waiting_.begin(), waiting_.end(), [event](const Waiting& waiting) {
    return waiting.event == event;
  });
  if (!waits || event == HeldEvent::kCardPlanArrived)
    waiting_.push_back({event, std::move(handler)});
}

void HeldEvents::Release() {
  if (--depth_ > 0) return;
  // A handler may set off another event; it runs at once, the hold being over.
  std::vector<Waiting> waiting;
  waiting.swap(waiting_);
  for (const Waiting& each : waiting) each.handler();
}

}  // namespace tarvello
