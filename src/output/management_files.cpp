#include "output/management_files.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "common/byte_order.h"
#include "common/cp932.h"

namespace tarvello {
namespace {

constexpr uint32_t kManagementVersion = 0x00100000;
constexpr uint32_t kUsedMarker = 1;
constexpr uint32_t kUsedKind = 17;
constexpr char kLanguageTag[8] = {'j', 'a', '-', 'J', 'P', 0, 0, 0};

// Offsets inside one entry.
constexpr size_t kEntryNumberAt = 0;
constexpr size_t kEntryMarkerAt = 4;
constexpr size_t kEntryKindAt = 8;
constexpr size_t kEntryLanguageAt = 12;
constexpr size_t kEntryLengthAt = 20;
constexpr size_t kEntryTitleAt = 24;

// Lays out entry `number` at `out` (92 bytes after the number already zero): a used entry
// with its text, or a filler entry with the number alone.
void PutEntry(char* out, uint32_t number, const std::string* title) {
  PutBigEndian32(out + kEntryNumberAt, number);
  if (title == nullptr) return;
  // The texts normally come cut already; cutting again keeps a long one off the next field.
  const std::string_view text = TruncateToBytes(*title, kManagementTitleBytes);
  PutBigEndian32(out + kEntryMarkerAt, kUsedMarker);
  PutBigEndian32(out + kEntryKindAt, kUsedKind);
  std::copy(std::begin(kLanguageTag), std::end(kLanguageTag), out + kEntryLanguageAt);
  PutBigEndian32(out + kEntryLengthAt, static_cast<uint32_t>(text.size()));
  std::copy(text.begin(), text.end(), out + kEntryTitleAt);
}

int FileCountFor(size_t title_count) {
  return static_cast<int>((title_count + kManagementEntriesPerFile - 1) /
                          kManagementEntriesPerFile);
}

}  // namespace

std::string ManagementTitle(std::string_view title, std::string_view artist,
                            const TOutputOptions& options) {
  const std::string_view separator = SeparatorAt(options.Separator);
  std::string text;
  switch (options.TitleFormat) {
    case 1:
      text.append(title).append(separator).append(artist);
      break;
    case 2:
      text.append(artist).append(separator).append(title);
      break;
    default:  // 0, and any value the options dialog never offers: the title alone
      text = title;
      break;
  }
  return std::string(TruncateToBytes(text, kManagementTitleBytes));
}

std::string ManagementFileName(int file_number) {
  char name[32];
  std::snprintf(name, sizeof name, "SD_F_%.3d.MGR", file_number);
  return name;
}

std::string ManagementHeader() {
  std::string header(kManagementHeaderBytes, '\0');
  header.replace(0, 4, "CNTM");
  PutBigEndian32(header.data() + 4, kManagementVersion);
  PutBigEndian32(header.data() + 8, static_cast<uint32_t>(kManagementFileBytes));
  PutBigEndian16(header.data() + 12, static_cast<uint16_t>(kManagementEntryBytes));
  PutBigEndian16(header.data() + 14, static_cast<uint16_t>(kManagementEntriesPerFile));
  return header;
}

std::string ManagementFileBytes(int file_number, const std::vector<std::string>& titles) {
  std::string bytes = ManagementHeader();
  bytes.resize(kManagementFileBytes, '\0');
  const size_t first = static_cast<size_t>(file_number) * kManagementEntriesPerFile;
  for (size_t slot = 0; slot < static_cast<size_t>(kManagementEntriesPerFile); ++slot) {
    const size_t number = first + slot;
    char* entry = bytes.data() + kManagementHeaderBytes + slot * kManagementEntryBytes;
    PutEntry(entry, static_cast<uint32_t>(number),
             number < titles.size() ? &titles[number] : nullptr);
  }
  return bytes;
}

std::optional<std::string> WriteManagementFiles(FileSystem& files, const std::string& folder,
                                                const std::vector<std::string>& titles,
                                                const std::function<void()>& file_written) {
  const int file_count = FileCountFor(titles.size());
  for (int file_number = 0; file_number < file_count; ++file_number) {
    const std::string path = folder + ManagementFileName(file_number);
    if (!files.WriteWholeFile(path, ManagementFileBytes(file_number, titles))) return path;
    if (file_written) file_written();
  }
  return std::nullopt;
}

}  // namespace tarvello
