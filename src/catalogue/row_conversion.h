#pragma once

// Where a listed song stands in its conversion to a card-ready song. Rows of songs that
// need none keep kNone.

#include <string>

namespace tarvello {

enum class ConversionState {
  kNone,
  kProbing,  // the helper is asked what the file is
  kWaiting,
  kConverting,
  kReady,
  kFailed,
  kCancelled
};

struct RowConversion {
  ConversionState state = ConversionState::kNone;
  // Why the conversion failed; empty in every other state.
  std::string failure;

  // The row's time, rates and size are the source's guesses until its song is made.
  bool Estimated() const {
    return state == ConversionState::kProbing || state == ConversionState::kWaiting ||
           state == ConversionState::kConverting || state == ConversionState::kCancelled ||
           state == ConversionState::kFailed;
  }
  bool operator==(const RowConversion&) const = default;
};

}  // namespace tarvello
