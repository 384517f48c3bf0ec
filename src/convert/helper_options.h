#pragma once

// Where the helper program is and how long it is waited for.

#include <chrono>
#include <string>

#include "platform/platform.h"

namespace tarvello {

inline constexpr const char* kHelperProgramName = "tarvello-convert";

struct HelperOptions {
  // The program's path; empty: FindHelperProgram's.
  std::string program;
  // A job whose helper reports no progress for this long is ended and fails.
  std::chrono::milliseconds stall_limit{std::chrono::seconds(60)};
  // A helper with no job for this long ends; its worker starts another on the next job.
  std::chrono::milliseconds idle_limit{std::chrono::seconds(30)};
};

// The helper next to the running program (a build tree), else the one installed in the
// library-exec folder (/usr/libexec/tarvello).
std::string FindHelperProgram(Environment& environment, FileSystem& files);
// The same on the real system.
std::string FindHelperProgram();

}  // namespace tarvello
