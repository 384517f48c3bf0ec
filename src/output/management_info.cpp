#include "output/management_info.h"

#include <exception>
#include <optional>

#include "common/json_text.h"

namespace tarvello {
namespace {

std::string EntryJson(const ManagementEntry& entry) {
  return JsonObject()
      .Number("number", entry.number)
      .Bool("used", entry.used)
      .Number("length", entry.length)
      .Cp932("title", entry.title)
      .Close();
}

// The file's bytes when it has a management file's size; the reason on `err` otherwise.
// The size is checked first so that a large file given by mistake is not read whole.
std::optional<std::string> ReadCandidate(FileSystem& files, const std::string& path,
                                         std::ostream& err) {
  const std::unique_ptr<ByteFile> file = files.OpenRead(path);
  if (!file) {
    err << "cannot read the file: " << path << "\n";
    return std::nullopt;
  }
  if (file->Size() != static_cast<int64_t>(kManagementFileBytes)) {
    err << "not a management file (" << file->Size() << " bytes, not " << kManagementFileBytes
        << "): " << path << "\n";
    return std::nullopt;
  }
  std::string bytes(kManagementFileBytes, '\0');
  if (file->Read(bytes.data(), bytes.size()) != bytes.size()) {
    err << "cannot read the whole file: " << path << "\n";
    return std::nullopt;
  }
  return bytes;
}

std::optional<ManagementFile> ReadOne(FileSystem& files, const std::string& path,
                                      std::ostream& err) {
  try {
    const std::optional<std::string> bytes = ReadCandidate(files, path, err);
    if (!bytes) return std::nullopt;
    std::optional<ManagementFile> file = ParseManagementFile(*bytes);
    if (!file) err << "not a management file (no \"CNTM\" at its start): " << path << "\n";
    return file;
  } catch (const std::exception& error) {
    err << error.what() << ": " << path << "\n";
  }
  return std::nullopt;
}

}  // namespace

std::string ManagementJsonLine(std::string_view path, const ManagementFile* file) {
  JsonObject json;
  json.Text("path", path).Bool("valid", file != nullptr);
  if (file == nullptr) return json.Close();
  std::vector<std::string> entries;
  entries.reserve(file->entries.size());
  for (const ManagementEntry& entry : file->entries) entries.push_back(EntryJson(entry));
  return json.Text("magic", file->magic)
      .Number("version", file->version)
      .Number("file_size", file->file_size)
      .Number("entry_size", file->entry_size)
      .Number("entry_count", file->entry_count)
      .Raw("entries", JsonArray(entries))
      .Close();
}

int WriteManagementInfo(FileSystem& files, const std::vector<std::string>& paths, std::ostream& out,
                        std::ostream& err) {
  int status = 0;
  for (const std::string& path : paths) {
    const std::optional<ManagementFile> file = ReadOne(files, path, err);
    out << ManagementJsonLine(path, file ? &*file : nullptr) << "\n";
    if (!file) status = 1;
  }
  out.flush();
  return status;
}

}  // namespace tarvello
