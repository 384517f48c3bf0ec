#pragma once

// Setting a file's last-write time so that it sticks.

#include <ctime>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_file_calls.h"

namespace tarvello {

// The step in which the file system that holds `path` keeps last-write times, in
// nanoseconds; the coarsest step of a card's file systems where it cannot be told.
int64_t WriteTimeStepOf(const std::string& path);

// Sets the last-write time of `path`, giving its access time explicitly as it is, and
// reads the time back. A file system that did not keep it by name is given it again
// through an open descriptor; kTimeNotKept when that does not keep it either.
FileChange SetKeptWriteTime(FileCalls& calls, const std::string& path, std::time_t time);

}  // namespace tarvello
