// Ctrl+C during a run: it asks the run to stop, interrupted system calls go on, and once
// the run is over Ctrl+C goes to whoever handled it before.

#include "cli/terminal_progress.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>

namespace tarvello::cli {
namespace {

volatile sig_atomic_t earlier_handler_calls = 0;

void EarlierHandler(int) {
  earlier_handler_calls = earlier_handler_calls + 1;
}

struct sigaction CurrentInterruptAction() {
  struct sigaction current {};
  sigaction(SIGINT, nullptr, &current);
  return current;
}

TEST(TerminalProgressTest, CtrlCCancelsTheRunAndBelongsToTheEarlierHandlerAfterIt) {
  struct sigaction earlier {};
  earlier.sa_handler = EarlierHandler;
  sigemptyset(&earlier.sa_mask);
  ASSERT_EQ(sigaction(SIGINT, &earlier, nullptr), 0);
  std::ostringstream err;
  {
    TerminalProgress progress(err, false);
    EXPECT_NE(CurrentInterruptAction().sa_flags & SA_RESTART, 0);
    EXPECT_FALSE(progress.CancelRequested());
    ASSERT_EQ(raise(SIGINT), 0);
    EXPECT_TRUE(progress.CancelRequested());
    EXPECT_EQ(earlier_handler_calls, 0);
  }
  EXPECT_EQ(CurrentInterruptAction().sa_handler, EarlierHandler);
  ASSERT_EQ(raise(SIGINT), 0);
  EXPECT_EQ(earlier_handler_calls, 1);
  signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace tarvello::cli
