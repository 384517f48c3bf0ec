// Ending a helper process: a child that runs on after it closed its output is killed once
// the grace is over, and one that does not end when killed is left to the system, so no
// stop or exit waits on it for ever.

#include "platform/child_process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>

namespace tarvello {
namespace {

using namespace std::chrono_literals;

// Starts a shell script as the child and waits until it says "ready" on its output.
void StartReady(ChildProcess& child, const std::string& script) {
  std::string error;
  ASSERT_TRUE(child.Start({"/bin/sh", "-c", script}, error)) << error;
  std::string said;
  while (said.find("ready") == std::string::npos) {
    ASSERT_NE(child.Read(said, 10000), ChildProcess::ReadResult::kClosed) << said;
  }
}

// A child that exits, one that closes its output and runs on (the shell waits for `sleep`,
// which never had the socket) and is killed after the grace, and one killed (grace -1).
TEST(ChildProcessTest, AChildThatEndsReportsHowItEnded) {
  for (const auto& [script, grace_ms, exit_code, signal] :
       {std::tuple{"echo ready; read line; exit 7", 10000, 7, 0},
        {"echo ready; exec 0<&- 1>&-; sleep 20; exit 3", 50, 0, SIGKILL},
        {"echo ready; exec sleep 20", -1, 0, SIGKILL}}) {
    SCOPED_TRACE(script);
    ChildProcess child;
    StartReady(child, script);
    const ChildEnd end = grace_ms < 0 ? child.Kill() : child.Stop(grace_ms);
    EXPECT_EQ(end.exit_code, exit_code);
    EXPECT_EQ(end.signal, signal);
    EXPECT_EQ(end.left, 0);
    EXPECT_FALSE(child.Running());
  }
}

TEST(ChildProcessTest, AChildThatDoesNotEndWhenKilledIsLeftAfterTheBound) {
  // The kill is a signal the child ignores: it stands in for one stuck in the kernel.
  ChildProcess child(ChildEnding{50ms, SIGTERM});
  StartReady(child, "trap '' TERM; echo ready; exec sleep 20");
  const ChildEnd end = child.Kill();
  ASSERT_GT(end.left, 0);
  EXPECT_FALSE(child.Running());

  // The child was indeed still running; the test ends it for good.
  ASSERT_EQ(::kill(end.left, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(end.left, &status, 0), end.left);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

}  // namespace
}  // namespace tarvello
