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

TEST(ChildProcessTest, AChildThatClosesItsOutputAndRunsOnIsKilledAfterTheGrace) {
  ChildProcess child;
  // The shell waits for `sleep`, which never had the socket.
  StartReady(child, "echo ready; exec 0<&- 1>&-; sleep 20; exit 3");
  const ChildEnd end = child.Stop(50);
  EXPECT_EQ(end.signal, SIGKILL);
  EXPECT_EQ(end.left, 0);
  EXPECT_FALSE(child.Running());
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

TEST(ChildProcessTest, AChildThatEndsReportsHowItEnded) {
  ChildProcess exiting;
  StartReady(exiting, "echo ready; read line; exit 7");
  EXPECT_EQ(exiting.Stop(10000).exit_code, 7);
  ChildProcess killed;
  StartReady(killed, "echo ready; exec sleep 20");
  const ChildEnd end = killed.Kill();
  EXPECT_EQ(end.signal, SIGKILL);
  EXPECT_EQ(end.left, 0);
}

}  // namespace
}  // namespace tarvello
