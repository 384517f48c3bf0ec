#pragma once

// The messages between the pool and the helper program, tarvello-convert.
//
// A message is a length (4 bytes, big-endian) and that many bytes: the message's type and
// then name and value pairs, each text ended by a NUL byte. Texts are UTF-8 paths and tag
// texts, which hold no NUL; numbers are written in decimal. A reader passes over names it
// does not know, so a field can be added without a new version; the helper's first
// message, "hello", names the version, and a pool talks only to its own.
//
// pool -> helper: "probe" (source), "make" (source, target, kbps, reencode: 1 to encode even
//                 a song the card takes as it is)
// helper -> pool: "hello" (version, sandbox), "progress" (at most once a second while it
//                 reads), "probed" (a probe's fields), "made" (end, reason, problem, kind,
//                 codec)
// The helper ends when its input ends.

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <string>

#include "convert/convert_status.h"
#include "convert/source_probe.h"

namespace tarvello {

inline constexpr int kHelperProtocolVersion = 1;
// Larger frames are taken for garbage: a probe's tags fit many times over.
inline constexpr uint32_t kMaxHelperMessageBytes = 1 << 20;

struct HelperMessage {
  std::string type;
  std::map<std::string, std::string> fields;

  HelperMessage& Set(const std::string& name, std::string value);
  HelperMessage& SetNumber(const std::string& name, double value);
  // Empty, or 0, when the field is missing or is no number.
  std::string Text(const std::string& name) const;
  double Number(const std::string& name) const;
};

// A number of a message as a whole number of type `Whole`: the helper may be broken or
// subverted, so a value that is no number or does not fit gives 0 rather than undefined
// behaviour.
template <typename Whole>
Whole WholeNumber(double value) {
  // Below the type's least value, or from 2^digits on, the conversion is undefined.
  const double limit = std::ldexp(1.0, std::numeric_limits<Whole>::digits);
  const double least = static_cast<double>(std::numeric_limits<Whole>::min());
  if (!std::isfinite(value) || value < least || value >= limit) return 0;
  return static_cast<Whole>(value);
}

// The message as it goes over the wire.
std::string EncodeHelperMessage(const HelperMessage& message);

enum class HelperFrame { kMessage, kIncomplete, kGarbled };
// Takes the first message off the front of `buffer` when it is all there.
HelperFrame TakeHelperMessage(std::string& buffer, HelperMessage& message);

// A probe and a step's status as message fields, and back.
void PutProbe(const SourceProbe& probe, HelperMessage& message);
SourceProbe ProbeFrom(const HelperMessage& message);
void PutStatus(const ConvertStatus& status, HelperMessage& message);
ConvertStatus StatusFrom(const HelperMessage& message);

}  // namespace tarvello
