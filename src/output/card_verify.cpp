#include "output/card_verify.h"

#include "catalogue/output_totals.h"
#include "output/card_names.h"
#include "output/output_targets.h"
#include "output/management_files.h"

namespace tarvello {
namespace {

constexpr const char* kVerifying = "照合中... ";
constexpr size_t kListedAtMost = 10;
constexpr int kEventsEvery = 2;

std::string Counter(size_t done, size_t total) {
  return kVerifying + std::to_string(done) + " / " + std::to_string(total);
}

bool HoldsWhatWasSent(FileSystem& files, const WrittenFile& file) {
  if (file.sample && !file.expected) return files.SampleStoredFile(file.path) == file.sample;
  const std::optional<ContentHash> stored = files.HashStoredFile(file.path);
  return stored && (!file.expected || *stored == *file.expected);
}

}  // namespace

std::optional<ContentHash> WrittenFiles::Copy(FileSystem& files, const std::string& from,
                                              const std::string& to, const std::string& label) {
  const std::optional<ContentHash> sent = files.CopyFileHashing(from, to);
  if (sent) files_.push_back({to, label, sent, std::nullopt});
  return sent;
}

void WrittenFiles::Moved(const std::string& to, const std::string& label,
                         std::optional<FileSample> sample) {
  files_.push_back({to, label, std::nullopt, sample});
}

void WrittenFiles::Management(const std::string& folder,
                              const std::vector<std::string>& titles) {
  const int count = ManagementFileCount(static_cast<int32_t>(titles.size()));
  for (int number = 0; number < count; ++number) {
    const std::string name = ManagementFileName(number);
    files_.push_back(
        {folder + name, name, HashBytes(ManagementFileBytes(number, titles)), std::nullopt});
  }
}

std::vector<WrittenFile> ExpectedCardFiles(FileSystem& files, const std::string& folder,
                                           const TrackList& rows, const TrackTable& table,
                                           const TOutputOptions& options,
                                           std::vector<std::string>& unreadable_sources) {
  WrittenFiles expected;
  expected.Management(folder, ManagementTitlesOf(rows, options));
  int number = 0;
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (!IsOutputTarget(rows.Row(row))) continue;
    const std::string target = NumberedSongPath(folder, options, number++);
    const TTrackInfo* record = RowRecord(rows, table, row);
    const std::string source = record != nullptr ? std::string(FieldText(record->FileName)) : "";
    const std::string& listed = rows.Row(row).sub_items[kSubFileName];
    std::optional<ContentHash> hash;
    if (std::unique_ptr<ByteFile> file = files.OpenRead(source)) {
      try {
        hash = HashRest(*file);
      } catch (const FileError&) {
      }
    }
    if (hash) {
      expected.Add({target, listed, hash, std::nullopt});
    } else {
      unreadable_sources.push_back(listed);
    }
  }
  return expected.files();
}

VerifyResult VerifyWrittenFiles(FileSystem& files, const std::vector<WrittenFile>& written,
                                OutputProgress& progress) {
  VerifyResult result;
  progress.SetMaximum(progress.Maximum() + static_cast<int>(written.size()));
  progress.SetLabel(Counter(0, written.size()));
  progress.ProcessEvents();
  for (size_t index = 0; index < written.size(); ++index) {
    if (progress.CancelRequested()) {
      result.cancelled = true;
      return result;
    }
    const WrittenFile& file = written[index];
    if (!HoldsWhatWasSent(files, file)) result.mismatched.push_back(file);
    progress.Step();
    progress.SetLabel(Counter(index + 1, written.size()));
    if ((index + 1) % kEventsEvery == 0) progress.ProcessEvents();
  }
  result.cancelled = progress.CancelRequested();
  return result;
}

std::string MismatchText(const std::vector<WrittenFile>& mismatched,
                         const std::string& backup_folder) {
  std::string text =
      "出力先のカードは書き込んだ内容を保持していません.\r\n"
      "次のファイルを読み戻すと, 書き込んだ内容と一致しませんでした.\r\n\r\n";
  for (size_t index = 0; index < mismatched.size() && index < kListedAtMost; ++index) {
    text += mismatched[index].label + "\r\n";
  }
  if (mismatched.size() > kListedAtMost) {
    text += "ほか " + std::to_string(mismatched.size() - kListedAtMost) + " 件\r\n";
  }
  text +=
      "\r\nカードが故障しているか, 表示されている容量より実際の容量が小さい可能性があります.";
  if (!backup_folder.empty()) {
    text += "\r\nバックアップはそのまま残っています.\r\n" + backup_folder;
  }
  return text;
}

}  // namespace tarvello
