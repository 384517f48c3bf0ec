#pragma once

// A program started with a socket on its standard input and output, as a worker that is
// talked to in messages. It is killed and reaped at the latest when this object goes.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace tarvello {

// How a child ended.
struct ChildEnd {
  int exit_code = 0;  // when it exited
  int signal = 0;     // the signal that ended it; 0 when it exited
};

class ChildProcess {
 public:
  enum class ReadResult { kData, kClosed, kTimeout };

  ChildProcess() = default;
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
  // Kills the child and reaps it.
  ChildEnd Kill();

 private:
  ChildEnd Reap();
  void CloseSocket();

  pid_t pid_ = -1;
  int socket_ = -1;  // the child's standard input and output
};

// The system's short name of a signal ("KILL"), or its number.
std::string SignalName(int signal);

}  // namespace tarvello
