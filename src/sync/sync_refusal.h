#pragma once

// Why an update of a card does not run. Each leaves the card untouched and has a
// message for people and a short reason for scripts.

#include <string>

namespace tarvello {

enum class SyncRefusalKind {
  kNone,
  kNoIdentity,        // the card has no UUID or serial
  kNoProfile,         // the card remembers no sources
  kNoMedium,          // nothing is mounted there
  kFolderOffCard,     // the output folder does not lie on the card
  kSourceUnreadable,  // a source cannot be read: library or playlist file gone, player
                      // database locked or missing, folder not there
  kSourceEmpty,       // a source gives no song
  kNotConfirmed,      // removes more than half of the card's songs and was not confirmed
  kNothingFits,       // not even the first song fits on the card
  kCancelled,
  kError,  // the system failed; the message says how
};

struct SyncRefusal {
  SyncRefusalKind kind = SyncRefusalKind::kNone;
  std::string message;  // UTF-8, lines split by "\r\n" as the program's boxes show them
};

// "source unreadable", "source empty", ...: the "reason" of tarvello-cli's JSON.
const char* SyncRefusalReason(SyncRefusalKind kind);

}  // namespace tarvello
