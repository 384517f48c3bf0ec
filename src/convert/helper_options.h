#pragma once

// Where the helper program is and how long it is waited for.

#include <chrono>
#include <string>
#include <vector>

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

// Where the helper is looked for, in order: next to the running program (a build tree),
// in the library-exec folder next to the program's folder (an installed tree moved as a
// whole), and where it was installed (/usr/libexec/tarvello).
std::vector<std::string> HelperProgramPlaces(Environment& environment);
// The first of those places that holds the helper, else the installed one.
std::string FindHelperProgram(Environment& environment, FileSystem& files);
// The places on the real system.
std::vector<std::string> HelperProgramPlaces();
// The same on the real system.
std::string FindHelperProgram();

}  // namespace tarvello
