#pragma once

// How one step of a conversion ended: done, or why not, in a short English text.

#include <string>

namespace tarvello {

// What kind of problem ended a conversion, for a message in the user's language; the
// reason text gives the detail.
enum class ConvertProblem {
  kOther,
  kCannotOpen,      // the file cannot be opened or read as media
  kCannotRead,      // the system failed to open or read the file (an I/O error, say)
  kNoAudio,         // it holds no audio stream
  kEncrypted,       // its audio is encrypted or copy-protected
  kNothingDecodes,  // not one frame of its audio could be read
  kSourceChanged,   // the file changed or vanished while it was converted
  kDiskFull,        // the disk being written has no room left
  kHelperCrashed,   // the helper program ended abnormally (a signal) in the middle
  kHelperStalled,   // the helper program made no progress for too long and was ended
  kHelperGarbled,   // the helper program answered something that is no reply
  kHelperMissing,   // the helper program cannot be started
};

enum class ConvertEnd {
  kDone,
  kRefused,    // the source is not something that can become a song
  kFailed,     // the source was fine but the work failed (disk full, source changed)
  kCancelled,  // the caller asked to stop
};

struct ConvertStatus {
  ConvertEnd end = ConvertEnd::kDone;
  std::string reason;
  ConvertProblem problem = ConvertProblem::kOther;

  bool Done() const { return end == ConvertEnd::kDone; }
  static ConvertStatus Ok() { return {}; }
  static ConvertStatus Refused(std::string why, ConvertProblem problem = ConvertProblem::kOther) {
    return {ConvertEnd::kRefused, std::move(why), problem};
  }
  static ConvertStatus Failed(std::string why, ConvertProblem problem = ConvertProblem::kOther) {
    return {ConvertEnd::kFailed, std::move(why), problem};
  }
  static ConvertStatus Cancelled() { return {ConvertEnd::kCancelled, "cancelled"}; }
  static ConvertStatus DiskFull() {
    return {ConvertEnd::kFailed, "the cache disk is full", ConvertProblem::kDiskFull};
  }
};

}  // namespace tarvello
