#pragma once

// How one step of a conversion ended: done, or why not, in a short English text.

#include <string>

namespace tarvello {

enum class ConvertEnd {
  kDone,
  kRefused,    // the source is not something that can become a song
  kFailed,     // the source was fine but the work failed (disk full, source changed)
  kCancelled,  // the caller asked to stop
};

struct ConvertStatus {
  ConvertEnd end = ConvertEnd::kDone;
  std::string reason;
  bool disk_full = false;  // a failure because the disk being written has no room left

  bool Done() const { return end == ConvertEnd::kDone; }
  static ConvertStatus Ok() { return {}; }
  static ConvertStatus Refused(std::string why) {
    return {ConvertEnd::kRefused, std::move(why), false};
  }
  static ConvertStatus Failed(std::string why) {
    return {ConvertEnd::kFailed, std::move(why), false};
  }
  static ConvertStatus Cancelled() { return {ConvertEnd::kCancelled, "cancelled", false}; }
  static ConvertStatus DiskFull() { return {ConvertEnd::kFailed, "the cache disk is full", true}; }
};

}  // namespace tarvello
