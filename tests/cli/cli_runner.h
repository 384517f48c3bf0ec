#pragma once

// Runs a built program as a user would, with its standard output, standard error and exit
// status captured, for the tests of tarvello-cli.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace tarvello::cli_test {

struct CliResult {
  int exit_status = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;

  // The lines of standard output, without their line ends.
  std::vector<std::string> OutLines() const {
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < out.size()) {
      size_t end = out.find('\n', begin);
      if (end == std::string::npos) end = out.size();
      lines.push_back(out.substr(begin, end - begin));
      begin = end + 1;
    }
    return lines;
  }
};

namespace detail {

class Pipe {
 public:
  Pipe() {
    if (::pipe(ends_.data()) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int read_end() const { return ends_[0]; }
  int write_end() const { return ends_[1]; }
  void CloseRead() { Close(ends_[0]); }
  void CloseWrite() { Close(ends_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  std::array<int, 2> ends_{-1, -1};
};

// Reads both pipes until both are at their end; reading them in turn could leave the
// child blocked on a full pipe.
inline void Drain(Pipe& out_pipe, Pipe& err_pipe, std::string& out, std::string& err) {
  std::array<pollfd, 2> fds{pollfd{out_pipe.read_end(), POLLIN, 0},
                            pollfd{err_pipe.read_end(), POLLIN, 0}};
  std::array<std::string*, 2> sinks{&out, &err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;  // poll skips negative descriptors
        --open;
      }
    }
  }
}

}  // namespace detail

// Runs `program` with `arguments` (not counting the program's own name) and waits for it.
inline CliResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  detail::Pipe out_pipe;
  detail::Pipe err_pipe;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe.write_end(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err_pipe.write_end(), STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out_pipe.read_end());
  posix_spawn_file_actions_addclose(&actions, err_pipe.read_end());

  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned =
      ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    throw std::runtime_error("cannot run " + program + ": " + std::strerror(spawned));
  out_pipe.CloseWrite();
  err_pipe.CloseWrite();

  CliResult result;
  detail::Drain(out_pipe, err_pipe, result.out, result.err);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

#ifdef TARVELLO_CLI_PATH
// Runs the built tarvello-cli.
inline CliResult RunCli(const std::vector<std::string>& arguments) {
  return RunProgram(TARVELLO_CLI_PATH, arguments);
}
#endif

}  // namespace tarvello::cli_test
