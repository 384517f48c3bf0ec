#include "convert/convert_song.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

#include "catalogue/m4a_reader.h"
#include "convert/content_hash.h"
#include "convert/encode.h"
#include "convert/remux.h"
#include "convert/source_input.h"

namespace tarvello {
namespace {

namespace fs = std::filesystem;

// What tells that a source was changed or replaced while it was read.
struct SourceStamp {
  uintmax_t size = 0;
  fs::file_time_type modified;
  bool operator==(const SourceStamp&) const = default;
};

std::optional<SourceStamp> StampOf(const std::string& path, std::error_code& error) {
  SourceStamp stamp;
  stamp.size = fs::file_size(path, error);
  if (error) return std::nullopt;
  stamp.modified = fs::last_write_time(path, error);
  if (error) return std::nullopt;
  return stamp;
}

std::optional<SourceStamp> StampOf(const std::string& path) {
  std::error_code error;
  return StampOf(path, error);
}

bool WalkAccepts(FileSystem& files, const std::string& path) {
  try {
    auto record = std::make_unique<TTrackInfo>();
    return ReadM4aRecord(files, *record, path, path).Accepted();
  } catch (const FileError&) {
    return false;
  }
}

ConvertResult Outcome(ConvertAction action, std::string reason,
                      ConvertProblem problem = ConvertProblem::kOther) {
  ConvertResult result;
  result.action = action;
  result.reason = std::move(reason);
  result.problem = problem;
  return result;
}

ConvertResult FromStatus(const ConvertStatus& status) {
  switch (status.end) {
    case ConvertEnd::kRefused:
      return Outcome(ConvertAction::kRefused, status.reason, status.problem);
    case ConvertEnd::kCancelled:
      return Outcome(ConvertAction::kCancelled, status.reason);
    case ConvertEnd::kDone:
    case ConvertEnd::kFailed:
      break;
  }
  return Outcome(ConvertAction::kFailed, status.reason, status.problem);
}

// Writes the song under a temporary name and gives it its key's name once complete.
ConvertResult MakeSong(ConvertCache& cache, const std::string& source, const SourceProbe& probe,
                       const std::string& key, const ConvertSettings& settings,
                       const SourceStamp& before, const std::atomic<bool>& cancel) {
  const std::string temporary = cache.TemporaryPath(key);
  if (temporary.empty()) {
    return Outcome(ConvertAction::kFailed, "cannot make the cache folder " + cache.Folder());
  }
  SourceInput input;
  ConvertStatus status = OpenSourceInput(source, input);
  if (status.Done()) {
    status = probe.kind == SourceKind::kRemux
                 ? RemuxToM4a(input, probe.tags, temporary, cancel)
                 : EncodeToM4a(input, probe.tags, settings.bit_rate_kbps, temporary, cancel);
  }
  input.format.reset();
  if (status.Done() && StampOf(source) != before) {
    status = ConvertStatus::Failed("the file changed or vanished while it was converted",
                                   ConvertProblem::kSourceChanged);
  }
  if (!status.Done()) {
    std::error_code error;
    fs::remove(temporary, error);
    return FromStatus(status);
  }
  ConvertResult result;
  result.action =
      probe.kind == SourceKind::kRemux ? ConvertAction::kRemuxed : ConvertAction::kEncoded;
  result.song_path = cache.Commit(temporary, key);
  if (result.song_path.empty()) {
    return Outcome(ConvertAction::kFailed, "cannot name the converted song in " + cache.Folder());
  }
  return result;
}

ConvertResult ConvertUntimed(FileSystem& files, ConvertCache& cache, const std::string& source,
                             const ConvertSettings& settings, const std::atomic<bool>& cancel) {
  if (cancel.load()) return Outcome(ConvertAction::kCancelled, "cancelled");
  const bool walk_accepts = WalkAccepts(files, source);
  std::optional<SourceProbe> probe;
  if (walk_accepts) {
    probe = ProbeSource(files, source);
    if (probe->kind == SourceKind::kCardReady) {
      ConvertResult result;
      result.action = ConvertAction::kAccepted;
      result.song_path = source;
      result.codec = probe->codec;
      return result;
    }
  }
  std::error_code stamp_error;
  const std::optional<SourceStamp> before = StampOf(source, stamp_error);
  if (!before) {
    return Outcome(ConvertAction::kRefused, "cannot open: " + stamp_error.message(),
                   ConvertProblem::kCannotOpen);
  }
  const std::optional<std::string> hash = SourceContentKey(files, source);
  if (!hash) {
    return Outcome(ConvertAction::kRefused, "cannot read the file to its end",
                   ConvertProblem::kCannotOpen);
  }
  const std::string remux_key = ConvertCache::RemuxKey(*hash);
  const std::string encode_key = ConvertCache::EncodeKey(*hash, settings);
  // An accepted M4A with other audio is always encoded, so only its encode is looked for.
  if (!walk_accepts) {
    if (const auto song = cache.Find(remux_key)) {
      return {ConvertAction::kRemuxed, *song, {}, {}, true, 0};
    }
  }
  if (const auto song = cache.Find(encode_key)) {
    return {ConvertAction::kEncoded, *song, {}, {}, true, 0};
  }
  if (!probe) probe = ProbeSource(files, source);
  if (cancel.load()) return Outcome(ConvertAction::kCancelled, "cancelled");
  if (probe->kind == SourceKind::kRefused) {
    return Outcome(ConvertAction::kRefused, probe->reason, probe->problem);
  }
  const std::string& key = probe->kind == SourceKind::kRemux ? remux_key : encode_key;
  ConvertResult result = MakeSong(cache, source, *probe, key, settings, *before, cancel);
  result.codec = probe->codec;
  return result;
}

}  // namespace

const char* ConvertActionName(ConvertAction action) {
  switch (action) {
    case ConvertAction::kAccepted:
      return "accepted";
    case ConvertAction::kRemuxed:
      return "remuxed";
    case ConvertAction::kEncoded:
      return "encoded";
    case ConvertAction::kRefused:
      return "refused";
    case ConvertAction::kFailed:
      return "failed";
    case ConvertAction::kCancelled:
      return "cancelled";
  }
  return "failed";
}

ConvertResult ConvertSong(FileSystem& files, ConvertCache& cache, const std::string& source,
                          const ConvertSettings& settings, const std::atomic<bool>& cancel) {
  const auto start = std::chrono::steady_clock::now();
  ConvertResult result = ConvertUntimed(files, cache, source, settings, cancel);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

}  // namespace tarvello
