#include "sources/add_files.h"

#include "catalogue/m4a_reader.h"
#include "common/text_tools.h"

namespace tarvello {
namespace {

void Refuse(AddContext& context, RefusedFile file) {
  if (context.refuse) {
    context.refuse(file);
  } else {
    context.report(RefusedFileText(file));
  }
}

// Why a file that is neither a song nor a track list was refused. A file that is no MP4
// file at all is most likely some other kind of file; the walk's reason says too little.
std::string NotASongReason(const M4aVerdict& verdict) {
  if (verdict.refusal == M4aRefusal::kNoFileTypeBox)
    return "AAC ファイルでも XML / RMP の曲リストでもありません";
  return JapaneseRefusalText(verdict);
}

// The temporary copy a song was read from, deleted however the reading ends.
class TemporaryCopy {
 public:
  TemporaryCopy(FileSystem& files, const std::string& readable, const std::string& path)
      : files_(files), copy_(readable != path ? readable : std::string()) {}
  ~TemporaryCopy() {
    if (!copy_.empty()) files_.DeleteFile(copy_);
  }
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;

 private:
  FileSystem& files_;
  std::string copy_;
};

// Stores the record the walk read into `context.staging`.
AddOutcome StoreWalkedSong(AddContext& context, const std::string& path_to_record) {
  switch (context.table.StoreTrack(context.table.TrackCount(), context.staging)) {
    case StoreResult::kStored:
      return AddOutcome::kAdded;
    case StoreResult::kOutOfMemory:
      // Nothing more fits, so the rest is not tried and the file is not called "not a song".
      context.report(kOutOfMemoryMessage);
      return AddOutcome::kStop;
    case StoreResult::kBadIndex:
      break;
  }
  Refuse(context,
         {kNotASongMessage, path_to_record, JapaneseRefusalText({M4aRefusal::kBadIndex, {}, {}})});
  return AddOutcome::kSkipped;
}

// A song the walk accepts whose audio is not AAC (ALAC, say) goes to the converter when
// there is one, so it reaches the card playable; AAC songs go as they are, unprobed.
AddOutcome AddWalkedSong(AddContext& context, const M4aVerdict& verdict,
                         const std::string& path_to_read, const std::string& path_to_record) {
  if (!verdict.AudioIsNotAac() || !context.add_converted)
    return StoreWalkedSong(context, path_to_record);
  if (context.add_converted(path_to_record)) return AddOutcome::kAdded;
  // The converter could not take it: the song is kept as the walk read it, as before.
  // The converter used the staging record, so the walk reads the file again.
  if (!ReadM4aRecord(context.files, context.staging, path_to_read, path_to_record).Accepted()) {
    return AddOutcome::kSkipped;
  }
  return StoreWalkedSong(context, path_to_record);
}

// Reads one file as a song, else as a track list; the table's limit was checked before.
AddOutcome AddOneFile(AddContext& context, const std::string& path_to_read,
                      const std::string& path_to_record) {
  const M4aVerdict verdict =
      ReadM4aRecord(context.files, context.staging, path_to_read, path_to_record);
  if (verdict.Accepted()) return AddWalkedSong(context, verdict, path_to_read, path_to_record);
  if (context.add_converted && context.add_converted(path_to_record)) return AddOutcome::kAdded;
  if (context.read_track_list && context.read_track_list(path_to_read)) return AddOutcome::kAdded;
  Refuse(context, {kNotASongMessage, path_to_record, NotASongReason(verdict)});
  return AddOutcome::kSkipped;
}

}  // namespace

AddOutcome AddSongPath(AddContext& context, const std::string& user_path) {
  // The list holds one spelling of every path, whatever spelling the user gave.
  const std::string path = context.files.AbsolutePath(user_path);
  const std::string readable = GetReadablePath(context.files, context.temp_names, path, true,
                                               context.temp_folder, kCopyPrefix, kCopyExtension);
  if (readable.empty()) {
    Refuse(context, {kCannotOpenMessage, path, ""});
    return AddOutcome::kSkipped;
  }
  const TemporaryCopy copy(context.files, readable, path);
  if (!context.table.CanAdd()) {
    context.report(TrackLimitText());
    return AddOutcome::kStop;
  }
  try {
    return AddOneFile(context, readable, path);
  } catch (const FileError& error) {
    // The message names the user's file, not the temporary copy it was read from.
    if (readable == path || error.error_number() == 0) throw;
    throw FileError(error.error_number(), path);
  }
}

std::string DialogPath(FileSystem& files, const std::string& path) {
  return files.FileExists(path) ? path : std::string(Trim(path, IsSpaceOrControl));
}

}  // namespace tarvello
