#include "catalogue/track_json.h"

#include <charconv>
#include <cstdint>

#include "common/cp932.h"

namespace tarvello {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

bool InRange(std::string_view bytes, size_t at, uint8_t low, uint8_t high) {
  if (at >= bytes.size()) return false;
  const auto byte = static_cast<uint8_t>(bytes[at]);
  return byte >= low && byte <= high;
}

// Length of the well-formed UTF-8 character at `at`, or 0 when there is none.
size_t CharacterLength(std::string_view bytes, size_t at) {
  const auto lead = static_cast<uint8_t>(bytes[at]);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return InRange(bytes, at + 1, 0x80, 0xBF) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    // No overlong forms (E0 80..9F) and no surrogates (ED A0..BF).
    const uint8_t low = lead == 0xE0 ? 0xA0 : 0x80;
    const uint8_t high = lead == 0xED ? 0x9F : 0xBF;
    return InRange(bytes, at + 1, low, high) && InRange(bytes, at + 2, 0x80, 0xBF) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    // Nothing overlong, nothing past U+10FFFF.
    const uint8_t low = lead == 0xF0 ? 0x90 : 0x80;
    const uint8_t high = lead == 0xF4 ? 0x8F : 0xBF;
    return InRange(bytes, at + 1, low, high) && InRange(bytes, at + 2, 0x80, 0xBF) &&
                   InRange(bytes, at + 3, 0x80, 0xBF)
               ? 4
               : 0;
  }
  return 0;
}

// Bytes that go into a JSON string as they are: printable ASCII but the quote and the
// backslash.
bool IsPlain(char byte) {
  const auto value = static_cast<uint8_t>(byte);
  return value >= 0x20 && value < 0x80 && byte != '"' && byte != '\\';
}

// One ASCII byte that is not plain.
void AppendEscaped(std::string& out, char byte) {
  if (byte == '"' || byte == '\\') {
    out += '\\';
    out += byte;
    return;
  }
  constexpr char kHex[] = "0123456789abcdef";
  const auto value = static_cast<uint8_t>(byte);
  const char escape[] = {'\\', 'u', '0', '0', kHex[value >> 4], kHex[value & 0xF]};
  out.append(escape, sizeof escape);
}

void AppendJsonString(std::string& out, std::string_view bytes) {
  out += '"';
  size_t at = 0;
  while (at < bytes.size()) {
    size_t plain_end = at;
    while (plain_end < bytes.size() && IsPlain(bytes[plain_end])) ++plain_end;
    out.append(bytes.data() + at, plain_end - at);
    at = plain_end;
    if (at == bytes.size()) break;
    const size_t length = CharacterLength(bytes, at);
    if (length == 0) {
      out += kReplacement;
      ++at;
    } else if (length == 1) {
      AppendEscaped(out, bytes[at++]);
    } else {
      out.append(bytes, at, length);
      at += length;
    }
  }
  out += '"';
}

// Printable ASCII reads the same in CP932 (some control bytes do not).
bool IsPrintableAscii(std::string_view bytes) {
  for (char byte : bytes) {
    if (byte < 0x20 || byte > 0x7E) return false;
  }
  return true;
}

// Writes the members of one object; keys are this file's own ASCII names.
class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }

  void Text(std::string_view key, std::string_view utf8) { AppendJsonString(Key(key), utf8); }
  // Most texts are plain ASCII and need no conversion.
  void Cp932(std::string_view key, std::string_view cp932) {
    if (IsPrintableAscii(cp932)) {
      Text(key, cp932);
    } else {
      Text(key, Cp932ToUtf8(cp932));
    }
  }
  void Number(std::string_view key, int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Key(key).append(digits, end);
  }
  void Bool(std::string_view key, bool value) { Key(key) += value ? "true" : "false"; }
  void Close() { out_ += '}'; }

 private:
  std::string& Key(std::string_view key) {
    if (!first_) out_ += ',';
    first_ = false;
    out_ += '"';
    out_ += key;
    out_ += "\":";
    return out_;
  }

  std::string& out_;
  bool first_ = true;
};

void AddRecord(JsonObject& json, const TTrackInfo& track) {
  json.Number("Deleted", track.Deleted);
  json.Number("TrackID", track.TrackID);
  json.Cp932("Title", FieldText(track.Title));
  json.Number("Time", track.Time);
  json.Cp932("Artist", FieldText(track.Artist));
  json.Cp932("Album", FieldText(track.Album));
  json.Cp932("Genre", FieldText(track.Genre));
  json.Cp932("Year", FieldText(track.Year));
  json.Cp932("Writer", FieldText(track.Writer));
  json.Cp932("Group", FieldText(track.Group));
  json.Cp932("Comment", FieldText(track.Comment));
  json.Cp932("Tool", FieldText(track.Tool));
  json.Number("TrackNo", track.TrackNo);
  json.Number("TrackTotal", track.TrackTotal);
  json.Number("DiskNo", track.DiskNo);
  json.Number("DiskTotal", track.DiskTotal);
  json.Number("Tempo", track.Tempo);
  json.Number("GenreNo", track.GenreNo);
  json.Number("Compilation", track.Compilation);
  json.Number("ChNum", track.ChNum);
  json.Number("SampleSize", track.SampleSize);
  json.Number("SampleRate", track.SampleRate);
  json.Number("BitRate", track.BitRate);
  json.Number("AvgBitRate", track.AvgBitRate);
  json.Number("FileSize", track.FileSize);
  json.Text("FileName", FieldText(track.FileName));  // a native path, not CP932
}

}  // namespace

std::string JsonString(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 2);
  AppendJsonString(out, bytes);
  return out;
}

void AppendTrackJson(std::string& out, std::string_view path, const TTrackInfo& track) {
  JsonObject json(out);
  json.Text("path", path);
  json.Bool("accepted", true);
  AddRecord(json, track);
  json.Close();
}

void AppendRefusedJson(std::string& out, std::string_view path, std::string_view reason) {
  JsonObject json(out);
  json.Text("path", path);
  json.Bool("accepted", false);
  if (!reason.empty()) json.Text("reason", reason);
  json.Close();
}

std::string TrackJsonLine(std::string_view path, const TTrackInfo* track) {
  std::string out;
  if (track != nullptr) {
    AppendTrackJson(out, path, *track);
  } else {
    AppendRefusedJson(out, path, {});
  }
  return out;
}

}  // namespace tarvello
