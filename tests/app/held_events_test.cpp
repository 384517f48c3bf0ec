// Handlers held while a run reads the list: none runs inside the hold, each runs once
// afterwards in the order its event first came, and outside a hold they run at once.

#include "app/held_events.h"

#include <gmock/gmock.h>

#include <optional>
#include <string>
#include <vector>

namespace tarvello {
namespace {

using ::testing::ElementsAre;

class HeldEventsTest : public ::testing::Test {
 protected:
  void Raise(HeldEvent event, const std::string& name) {
    events_.Handle(event, [this, name] { ran_.push_back(name); });
  }

  HeldEvents events_;
  std::vector<std::string> ran_;
};

TEST_F(HeldEventsTest, HeldHandlersRunOnceEachInTheOrderTheyFirstCameAndOthersAtOnce) {
  Raise(HeldEvent::kVolumesChanged, "volumes");
  Raise(HeldEvent::kVolumesChanged, "volumes again");
  {
    const HeldEvents::Hold outer(events_);
    Raise(HeldEvent::kConversionsArrived, "conversions");
    Raise(HeldEvent::kCardPlanArrived, "plan");
    {
      const HeldEvents::Hold inner(events_);
      Raise(HeldEvent::kVolumesChanged, "volumes held");
    }
    // The inner hold ended but the outer one still holds.
    Raise(HeldEvent::kConversionsArrived, "conversions again");
    Raise(HeldEvent::kCardPlanArrived, "next plan");  // a plan stands only for itself
    EXPECT_THAT(ran_, ElementsAre("volumes", "volumes again"));
    EXPECT_TRUE(events_.Holding());
  }
  Raise(HeldEvent::kVolumesChanged, "later");
  EXPECT_THAT(ran_, ElementsAre("volumes", "volumes again", "conversions", "plan", "volumes held",
                                "next plan", "later"));
  EXPECT_FALSE(events_.Holding());
}

TEST_F(HeldEventsTest, AnEventSetOffByAReleasedHandlerRunsAtOnce) {
  std::optional<HeldEvents::Hold> hold(std::in_place, events_);
  events_.Handle(HeldEvent::kVolumesChanged, [this] {
    ran_.push_back("volumes");
    Raise(HeldEvent::kConversionsArrived, "conversions");
  });
  hold.reset();
  EXPECT_THAT(ran_, ElementsAre("volumes", "conversions"));
}

}  // namespace
}  // namespace tarvello
