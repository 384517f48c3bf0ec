#pragma once

// A program started with a socket on its standard input and output, as a worker that is
// talked to in messages. It is killed and reaped at the latest when this object goes.

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvello {

// How a child ended.
struct ChildEnd {
  int exit_code = 0;  // when it exited
  int signal = 0;     // the signal that ended it; 0 when it exited
  pid_t left = 0;     // the child's id when it had not ended in time and was left running
};

// How long the end of a child is waited for, and how it is ended.
struct ChildEnding {
  // A killed child ends at once unless it is stuck in the kernel (uninterruptible I/O on a
  // card that was pulled); then it is left to the system, so no exit hangs on it.
  std::chrono::milliseconds kill_wait{2000};
  int kill_signal = SIGKILL;
};

class ChildProcess {
 public:
  enum class ReadResult { kData, kClosed, kTimeout };

  explicit ChildProcess(ChildEnding ending = {}) : ending_(ending) {}
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `argv` (argv[0] is the program's path); the child is killed when the thread
  // that started it ends. False with the system's message in `error` when it cannot start.
  bool Start(const std::vector<std::string>& argv, std::string& error);
  bool Running() const { return pid_ > 0; }
  // Writes all of `bytes` to the child's input; false when the child is gone.
  bool Write(std::string_view bytes);
  // Appends to `buffer` what the child wrote, waiting up to `timeout_ms` for it.
  ReadResult Read(std::string& buffer, int timeout_ms);
  // Closes the child's input (a worker's cue to end) and waits up to `grace_ms` for it
  // to end before it is killed.
  ChildEnd Stop(int grace_ms);
  // Kills the child and reaps it, or leaves it when it does not end within the bound.
  ChildEnd Kill();

 private:
  // Reaps the child once it ends within `limit`; nullopt while it runs on.
  std::optional<ChildEnd> Reap(std::chrono::milliseconds limit);
  ChildEnd Forget();
  void CloseSocket();

  ChildEnding ending_;
  pid_t pid_ = -1;
  int socket_ = -1;  // the child's standard input and output
};

// The system's short name of a signal ("KILL"), or its number.
std::string SignalName(int signal);

}  // namespace tarvello
