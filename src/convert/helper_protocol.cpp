#include "convert/helper_protocol.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tarvello {
namespace {

std::string NumberText(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : "0";
}

// The NUL-ended texts of a payload; false when the last one lacks its NUL.
bool SplitTexts(std::string_view payload, std::vector<std::string_view>& texts) {
  while (!payload.empty()) {
    const size_t end = payload.find('\0');
    if (end == std::string_view::npos) return false;
    texts.push_back(payload.substr(0, end));
    payload.remove_prefix(end + 1);
  }
  return true;
}

const std::map<SourceKind, const char*> kKindNames = {{SourceKind::kCardReady, "card-ready"},
                                                      {SourceKind::kRemux, "remux"},
                                                      {SourceKind::kEncode, "encode"},
                                                      {SourceKind::kRefused, "refused"}};

const std::map<ConvertEnd, const char*> kEndNames = {{ConvertEnd::kDone, "done"},
                                                     {ConvertEnd::kRefused, "refused"},
                                                     {ConvertEnd::kFailed, "failed"},
                                                     {ConvertEnd::kCancelled, "cancelled"}};

template <typename Value>
Value ByName(const std::map<Value, const char*>& names, const std::string& name, Value missing) {
  for (const auto& [value, text] : names) {
    if (name == text) return value;
  }
  return missing;
}

// The tags' fields, named once for both ways.
template <typename Tags, typename Visit>
void EachTag(Tags& tags, Visit visit) {
  visit("title", tags.title);
  visit("artist", tags.artist);
  visit("album", tags.album);
  visit("genre", tags.genre);
  visit("year", tags.year);
  visit("composer", tags.composer);
  visit("comment", tags.comment);
  visit("grouping", tags.grouping);
  visit("track", tags.track);
  visit("track_total", tags.track_total);
  visit("disc", tags.disc);
  visit("disc_total", tags.disc_total);
  visit("tempo", tags.tempo);
  visit("compilation", tags.compilation);
}

// The problem a reply names; one this version does not know is another problem.
ConvertProblem ProblemFrom(double value) {
  const int number = WholeNumber<int>(value);
  const bool known = number >= static_cast<int>(ConvertProblem::kOther) &&
                     number <= static_cast<int>(ConvertProblem::kHelperMissing);
  return known ? static_cast<ConvertProblem>(number) : ConvertProblem::kOther;
}

}  // namespace

HelperMessage& HelperMessage::Set(const std::string& name, std::string value) {
  fields[name] = std::move(value);
  return *this;
}

HelperMessage& HelperMessage::SetNumber(const std::string& name, double value) {
  return Set(name, NumberText(value));
}

std::string HelperMessage::Text(const std::string& name) const {
  const auto field = fields.find(name);
  return field == fields.end() ? std::string() : field->second;
}

double HelperMessage::Number(const std::string& name) const {
  const std::string text = Text(name);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

std::string EncodeHelperMessage(const HelperMessage& message) {
  std::string payload = message.type + '\0';
  for (const auto& [name, value] : message.fields) {
    // A NUL would end the text early; the texts sent never hold one.
    payload += name.substr(0, name.find('\0')) + '\0' + value.substr(0, value.find('\0')) + '\0';
  }
  const uint32_t size = static_cast<uint32_t>(payload.size());
  std::string frame;
  for (int shift = 24; shift >= 0; shift -= 8) frame += static_cast<char>((size >> shift) & 0xFF);
  return frame + payload;
}

HelperFrame TakeHelperMessage(std::string& buffer, HelperMessage& message) {
  if (buffer.size() < 4) return HelperFrame::kIncomplete;
  uint32_t size = 0;
  for (int i = 0; i < 4; ++i) size = (size << 8) | static_cast<unsigned char>(buffer[i]);
  if (size == 0 || size > kMaxHelperMessageBytes) return HelperFrame::kGarbled;
  if (buffer.size() < 4 + size) return HelperFrame::kIncomplete;
  std::vector<std::string_view> texts;
  const bool whole = SplitTexts(std::string_view(buffer).substr(4, size), texts);
  if (!whole || texts.size() % 2 != 1 || texts.front().empty()) return HelperFrame::kGarbled;
  message = HelperMessage{std::string(texts.front()), {}};
  for (size_t i = 1; i + 1 < texts.size(); i += 2) {
    message.fields[std::string(texts[i])] = std::string(texts[i + 1]);
  }
  buffer.erase(0, 4 + size);
  return HelperFrame::kMessage;
}

void PutProbe(const SourceProbe& probe, HelperMessage& message) {
  message.Set("kind", kKindNames.at(probe.kind))
      .Set("reason", probe.reason)
      .SetNumber("problem", static_cast<int>(probe.problem))
      .Set("codec", probe.codec)
      .SetNumber("seconds", probe.seconds)
      .SetNumber("file_size", static_cast<double>(probe.file_size))
      .SetNumber("channels", probe.channels)
      .SetNumber("sample_rate", probe.sample_rate);
  EachTag(probe.tags, [&](const char* name, const auto& value) {
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
      message.Set(std::string("tag.") + name, value);
    } else {
      message.SetNumber(std::string("tag.") + name, value);
    }
  });
}

SourceProbe ProbeFrom(const HelperMessage& message) {
  SourceProbe probe;
  probe.kind = ByName(kKindNames, message.Text("kind"), SourceKind::kRefused);
  probe.reason = message.Text("reason");
  probe.problem = ProblemFrom(message.Number("problem"));
  probe.codec = message.Text("codec");
  const double seconds = message.Number("seconds");
  probe.seconds = std::isfinite(seconds) ? seconds : 0;
  probe.file_size = WholeNumber<int64_t>(message.Number("file_size"));
  probe.channels = WholeNumber<int>(message.Number("channels"));
  probe.sample_rate = WholeNumber<int>(message.Number("sample_rate"));
  EachTag(probe.tags, [&](const char* name, auto& value) {
    const std::string field = std::string("tag.") + name;
    using Value = std::decay_t<decltype(value)>;
    if constexpr (std::is_same_v<Value, std::string>) {
      value = message.Text(field);
    } else {
      value = WholeNumber<Value>(message.Number(field));
    }
  });
  return probe;
}

void PutStatus(const ConvertStatus& status, HelperMessage& message) {
  message.Set("end", kEndNames.at(status.end))
      .Set("reason", status.reason)
      .SetNumber("problem", static_cast<int>(status.problem));
}

ConvertStatus StatusFrom(const HelperMessage& message) {
  ConvertStatus status;
  status.end = ByName(kEndNames, message.Text("end"), ConvertEnd::kFailed);
  status.reason = message.Text("reason");
  status.problem = ProblemFrom(message.Number("problem"));
  return status;
}

}  // namespace tarvello
