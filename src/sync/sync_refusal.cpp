#include "sync/sync_refusal.h"

namespace tarvello {

const char* SyncRefusalReason(SyncRefusalKind kind) {
  switch (kind) {
    case SyncRefusalKind::kNone:
      return "";
    case SyncRefusalKind::kNoIdentity:
      return "no identity";
    case SyncRefusalKind::kNoProfile:
      return "no profile";
    case SyncRefusalKind::kNoMedium:
      return "no medium";
    case SyncRefusalKind::kFolderOffCard:
      return "folder off the card";
    case SyncRefusalKind::kSourceUnreadable:
      return "source unreadable";
    case SyncRefusalKind::kSourceEmpty:
      return "source empty";
    case SyncRefusalKind::kNotConfirmed:
      return "removes most songs";
    case SyncRefusalKind::kNothingFits:
      return "does not fit";
    case SyncRefusalKind::kCancelled:
      return "cancelled";
    case SyncRefusalKind::kError:
      return "error";
  }
  return "error";
}

}  // namespace tarvello
