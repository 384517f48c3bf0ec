#include "platform/posix/posix_mountinfo.h"

namespace tarvello {
namespace {

bool IsOctal(char c) {
  return c >= '0' && c <= '7';
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (start < line.size()) {
    const size_t end = line.find(' ', start);
    const size_t stop = end == std::string_view::npos ? line.size() : end;
    if (stop > start) fields.push_back(line.substr(start, stop - start));
    start = stop + 1;
  }
  return fields;
}

// "36 35 98:0 /root /mnt opts [optional...] - type source superopts"
bool ParseLine(std::string_view line, MountRecord& record) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() < 7) return false;
  size_t separator = 6;
  while (separator < fields.size() && fields[separator] != "-") ++separator;
  if (separator + 2 >= fields.size()) return false;
  record.mount_point = UnescapeMountField(fields[4]);
  record.fs_type = UnescapeMountField(fields[separator + 1]);
  record.source = UnescapeMountField(fields[separator + 2]);
  return !record.mount_point.empty();
}

}  // namespace

std::string UnescapeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<MountRecord> ParseMountInfo(std::string_view text) {
  std::vector<MountRecord> records;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    MountRecord record;
    if (ParseLine(line, record)) records.push_back(std::move(record));
  }
  return records;
}

}  // namespace tarvello
