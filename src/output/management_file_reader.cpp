// Reading a management file back, for checking what a card holds.

#include <algorithm>

#include "common/byte_order.h"
#include "output/management_files.h"

namespace tarvello {
namespace {

constexpr std::string_view kMagic = "CNTM";
const uint8_t* At(std::string_view bytes, size_t offset) {
  return reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
}

ManagementEntry ReadEntry(std::string_view entry) {
  ManagementEntry read;
  read.number = BigEndian32(At(entry, 0));
  // A used entry carries the marker 1 after its number; a filler entry is zero there.
  read.used = BigEndian32(At(entry, 4)) != 0;
  read.length = BigEndian32(At(entry, 20));
  // A length past the text field is reported as stored; the text stays inside the field.
  const size_t shown = std::min<size_t>(read.length, kManagementTitleBytes);
  read.title = std::string(entry.substr(24, shown));
  return read;
}

}  // namespace

std::optional<ManagementFile> ParseManagementFile(std::string_view bytes) {
  if (bytes.size() != kManagementFileBytes || bytes.substr(0, kMagic.size()) != kMagic)
    return std::nullopt;
  ManagementFile file;
  file.magic = std::string(bytes.substr(0, kMagic.size()));
  file.version = BigEndian32(At(bytes, 4));
  file.file_size = BigEndian32(At(bytes, 8));
  file.entry_size = BigEndian16(At(bytes, 12));
  file.entry_count = BigEndian16(At(bytes, 14));
  file.entries.reserve(kManagementEntriesPerFile);
  for (size_t slot = 0; slot < static_cast<size_t>(kManagementEntriesPerFile); ++slot) {
    file.entries.push_back(ReadEntry(bytes.substr(
        kManagementHeaderBytes + slot * kManagementEntryBytes, kManagementEntryBytes)));
  }
  return file;
}

}  // namespace tarvello
