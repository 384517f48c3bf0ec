#include "platform/child_process.h"

#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>

#include "platform/posix/posix_descriptor.h"

namespace tarvello {
namespace {

constexpr std::chrono::milliseconds kEndingMoment{100};

ChildEnd EndOf(int status) {
  if (WIFSIGNALED(status)) return {0, WTERMSIG(status)};
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 0, 0};
}

}  // namespace

ChildProcess::~ChildProcess() {
  if (Running()) Kill();
  CloseSocket();
}

bool ChildProcess::Start(const std::vector<std::string>& argv, std::string& error) {
  if (argv.empty() || ::access(argv.front().c_str(), X_OK) != 0) {
    error = std::system_category().message(argv.empty() ? EINVAL : errno);
    return false;
  }
  // One socket carries both ways: sends never raise SIGPIPE, and the input can be shut
  // while the output is still read.
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    error = std::system_category().message(errno);
    return false;
  }
  std::vector<char*> words;
  for (const std::string& word : argv) words.push_back(const_cast<char*>(word.c_str()));
  words.push_back(nullptr);
  // Told apart from the program's own exit codes when exec fails.
  constexpr int kCannotExec = 127;
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec: the parent has threads.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(kCannotExec);
    ::dup2(ends[1], STDIN_FILENO);
    ::dup2(ends[1], STDOUT_FILENO);
    ::execv(words[0], words.data());
    ::_exit(kCannotExec);
  }
  const int fork_error = errno;
  ::close(ends[1]);
  if (pid < 0) {
    error = std::system_category().message(fork_error);
    ::close(ends[0]);
    return false;
  }
  pid_ = pid;
  socket_ = ends[0];
  return true;
}

bool ChildProcess::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

ChildProcess::ReadResult ChildProcess::Read(std::string& buffer, int timeout_ms) {
  pollfd watched{socket_, POLLIN, 0};
  const int ready = ::poll(&watched, 1, timeout_ms);
  if (ready == 0) return ReadResult::kTimeout;
  if (ready < 0) return errno == EINTR ? ReadResult::kTimeout : ReadResult::kClosed;
  char chunk[16384];
  const ssize_t got = ::read(socket_, chunk, sizeof chunk);
  if (got < 0 && errno == EINTR) return ReadResult::kTimeout;
  if (got <= 0) return ReadResult::kClosed;
  buffer.append(chunk, static_cast<size_t>(got));
  return ReadResult::kData;
}

ChildEnd ChildProcess::Stop(int grace_ms) {
  if (!Running()) return {};
  ::shutdown(socket_, SHUT_WR);
  // The child's end of the socket closes when it ends; what it still writes is dropped.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(grace_ms);
  std::string ignored;
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Kill();
    ignored.clear();
    if (Read(ignored, static_cast<int>(left.count())) == ReadResult::kClosed) break;
  }
  // A closed socket is no proof of an end: the child may have closed it and run on. One
  // that is ending gets a moment, even when the grace is used up.
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  if (std::optional<ChildEnd> end = Reap(std::max(left, kEndingMoment))) return *end;
  return Kill();
}

ChildEnd ChildProcess::Kill() {
  if (!Running()) return {};
  ::kill(pid_, ending_.kill_signal);
  if (std::optional<ChildEnd> end = Reap(ending_.kill_wait)) return *end;
  return Forget();
}

std::optional<ChildEnd> ChildProcess::Reap(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  // Readable once the child has ended; without it (an old kernel) the wait polls.
  const Descriptor ended_notice(static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0)));
  while (true) {
    int status = 0;
    const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
    if (ended != 0 && !(ended < 0 && errno == EINTR)) {
      pid_ = -1;
      CloseSocket();
      return ended > 0 ? EndOf(status) : ChildEnd{};
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd watched{ended_notice.get(), POLLIN, 0};
    const int wait_ms = ended_notice.valid()
                            ? static_cast<int>(left.count())
                            : static_cast<int>(std::min<int64_t>(left.count(), 10));
    ::poll(ended_notice.valid() ? &watched : nullptr, ended_notice.valid() ? 1 : 0, wait_ms);
  }
}

ChildEnd ChildProcess::Forget() {
  ChildEnd end;
  end.left = pid_;
  pid_ = -1;
  CloseSocket();
  return end;
}

void ChildProcess::CloseSocket() {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
}

std::string SignalName(int signal) {
  const char* name = ::sigabbrev_np(signal);
  return name != nullptr ? std::string("SIG") + name : std::to_string(signal);
}

}  // namespace tarvello
