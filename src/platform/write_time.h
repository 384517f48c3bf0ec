#pragma once

// Whether a file kept the last-write time it was given.

#include <cstdint>

namespace tarvello {

inline constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;

// File systems keep last-write times in steps of `step_ns` (FAT 2 s, exFAT 10 ms, ext4
// 1 ns) and round a time given to a step, down or to the nearest. What reads back may
// then lie less than one step from the wanted time; a time a whole step or more away
// (the time of the call, say) was not kept.
inline bool WriteTimeKept(int64_t wanted_ns, int64_t read_ns, int64_t step_ns) {
  const uint64_t step = step_ns > 1 ? static_cast<uint64_t>(step_ns) : 1;
  // The distance, computed without overflow for any two times.
  const uint64_t distance = read_ns >= wanted_ns
                                ? static_cast<uint64_t>(read_ns) - static_cast<uint64_t>(wanted_ns)
                                : static_cast<uint64_t>(wanted_ns) - static_cast<uint64_t>(read_ns);
  return distance < step;
}

}  // namespace tarvello
