#pragma once

// Runs a built program as a user would, with its standard output, standard error and exit
// status captured, for the tests of tarvello-cli.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"

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

// The null-terminated pointer array exec wants; `words` must outlive it.
inline std::vector<char*> CStrings(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Waits for `child` to end; its exit status, or -1 when it did not exit normally.
inline int WaitForChild(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `program` with `arguments` (not counting the program's own name) and waits for it.
// Its output goes to files, so a program that writes much to both streams never blocks.
inline CliResult RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  const fakes::TempDir capture;
  const std::string out_path = capture.Path("out");
  const std::string err_path = capture.Path("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  const std::vector<char*> argv = CStrings(words);
  pid_t child = 0;
  const int spawned =
      ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    throw std::runtime_error("cannot run " + program + ": " + std::strerror(spawned));

  CliResult result;
  result.exit_status = WaitForChild(child);
  result.out = fakes::ReadFile(out_path);
  result.err = fakes::ReadFile(err_path);
  return result;
}

#ifdef TARVELLO_CLI_PATH
// Runs the built tarvello-cli.
inline CliResult RunCli(const std::vector<std::string>& arguments) {
  return RunProgram(TARVELLO_CLI_PATH, arguments);
}
#endif

}  // namespace tarvello::cli_test
