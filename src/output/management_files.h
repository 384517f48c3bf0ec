#pragma once

// The management files "SD_F_%.3d.MGR" beside the numbered songs: they give the phone the
// title of every song, 100 entries a file, tied to the songs by their running number.
// Multi-byte numbers are big-endian; texts are CP932.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/output_options.h"
#include "platform/platform.h"

namespace tarvello {

inline constexpr size_t kManagementHeaderBytes = 32;
inline constexpr size_t kManagementEntryBytes = 96;
inline constexpr int kManagementEntriesPerFile = 100;
inline constexpr size_t kManagementTitleBytes = 40;
inline constexpr size_t kManagementFileBytes =
    kManagementHeaderBytes + kManagementEntryBytes * kManagementEntriesPerFile;  // 9632

// The title text of one entry from a song's title and artist (CP932) by the title format
// (0 title, 1 title + separator + artist, 2 artist + separator + title), cut to 40 bytes
// without splitting a double-byte character.
std::string ManagementTitle(std::string_view title, std::string_view artist,
                            const TOutputOptions& options);

// "SD_F_000.MGR" for file 0.
std::string ManagementFileName(int file_number);

// The 32 bytes every management file begins with.
std::string ManagementHeader();

// The whole file `file_number` (9632 bytes) for the entry texts of all output targets in
// list order: used entries for the texts that fall into this file, filler entries after
// the last one.
std::string ManagementFileBytes(int file_number, const std::vector<std::string>& titles);

// Writes every management file the texts need into `folder` (ending with "/"), created or
// truncated, calling `file_written` after each. Returns the path of the file that could
// not be written, or nullopt when all were written.
std::optional<std::string> WriteManagementFiles(FileSystem& files, const std::string& folder,
                                                const std::vector<std::string>& titles,
                                                const std::function<void()>& file_written);

// One entry as read back from a management file.
struct ManagementEntry {
  uint32_t number = 0;
  bool used = false;  // a used entry; a filler entry holds only its number
  uint32_t length = 0;
  std::string title;  // CP932, `length` bytes (at most 40)
};

// A management file read back: its header fields and its entries.
struct ManagementFile {
  std::string magic;  // "CNTM"
  uint32_t version = 0;
  uint32_t file_size = 0;
  uint16_t entry_size = 0;
  uint16_t entry_count = 0;
  std::vector<ManagementEntry> entries;
};

// Reads a management file's bytes; nullopt when they are not one (wrong size or magic).
std::optional<ManagementFile> ParseManagementFile(std::string_view bytes);

}  // namespace tarvello
