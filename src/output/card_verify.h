#pragma once

// Verify after writing: the files a run put on the card are read back from the card and
// compared by hash with what was sent. A card that fails, or that is smaller than it
// claims and drops what lies past its real size, shows here.

#include <optional>
#include <string>
#include <vector>

#include "output/output_options.h"
#include "catalogue/track_list.h"
#include "catalogue/track_table.h"
#include "output/output_progress.h"
#include "platform/platform.h"

namespace tarvello {

// One file put on the card and what it should hold.
struct WrittenFile {
  std::string path;   // on the card
  std::string label;  // how messages name it: a song's listed path, a management file's name
  // nullopt for a song moved within the card: nothing was sent.
  std::optional<ContentHash> expected;
  // For a moved song whose bytes are known: its size and sample, which are read back
  // instead of the whole file. A moved song without either is only read.
  std::optional<FileSample> sample = std::nullopt;
};

// Records the files a run writes, with the hashes of what it sent.
class WrittenFiles {
 public:
  // Copies as FileSystem::CopyFile does, hashing on the way; the hash of the bytes sent,
  // nullopt when the copy failed.
  std::optional<ContentHash> Copy(FileSystem& files, const std::string& from, const std::string& to,
                                  const std::string& label);
  // A song renamed within the card, with its sample when its bytes are known.
  void Moved(const std::string& to, const std::string& label,
             std::optional<FileSample> sample = std::nullopt);
  // The management files that WriteManagementFiles writes into `folder` (ending with "/")
  // for these titles.
  void Management(const std::string& folder, const std::vector<std::string>& titles);
  // A file whose expected hash is already known.
  void Add(WrittenFile file) { files_.push_back(std::move(file)); }

  const std::vector<WrittenFile>& files() const { return files_; }

 private:
  std::vector<WrittenFile> files_;
};

// The files an output of the list's marked rows writes into `folder` (ending with "/"),
// with the hashes of their sources, for checking a card that was written earlier. A
// source that cannot be read is left out and its path added to `unreadable_sources`.
std::vector<WrittenFile> ExpectedCardFiles(FileSystem& files, const std::string& folder,
                                           const TrackList& rows, const TrackTable& table,
                                           const TOutputOptions& options,
                                           std::vector<std::string>& unreadable_sources);

struct VerifyResult {
  bool cancelled = false;
  std::vector<WrittenFile> mismatched;  // differed from what was sent, or could not be read
};

// Reads every file back from the card (a moved song's sample only, when it has one), in
// the order written, showing "照合中... " with
// the count and the total and advancing the progress bar one step per file.
VerifyResult VerifyWrittenFiles(FileSystem& files, const std::vector<WrittenFile>& written,
                                OutputProgress& progress);

// The box that replaces the completion message when files differ: the first ten labels,
// how many more, and where the backup stays (empty: no backup was made).
std::string MismatchText(const std::vector<WrittenFile>& mismatched,
                         const std::string& backup_folder);

}  // namespace tarvello
