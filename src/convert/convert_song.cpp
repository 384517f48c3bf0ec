#include "convert/convert_song.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "catalogue/m4a_reader.h"
#include "convert/content_hash.h"

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

// A file that is missing or not allowed to be opened is the callers' to report (they may
// read a locked file through a copy); any other failure is the system failing to read it.
bool IsReadError(int error_number) {
  return error_number != ENOENT && error_number != ENOTDIR && error_number != EACCES &&
         error_number != EPERM;
}

// The walk's verdict on `path`. A file the system fails to read is no format to convert:
// `read_error` gets the system's message and the verdict is a refusal.
M4aVerdict Walk(FileSystem& files, const std::string& path, std::string& read_error) {
  try {
    auto record = std::make_unique<TTrackInfo>();
    return ReadM4aRecord(files, *record, path, path);
  } catch (const FileError& error) {
    if (IsReadError(error.error_number())) {
      read_error = std::system_category().message(error.error_number());
    }
    return M4aVerdict{M4aRefusal::kCutShort, {}, {}};
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

ConvertResult Accepted(const std::string& source, std::string codec) {
  ConvertResult result;
  result.action = ConvertAction::kAccepted;
  result.song_path = source;
  result.codec = std::move(codec);
  return result;
}

// Has the helper write the song under a temporary name, and gives it its key's name once
// complete. The helper tells whether it was remuxed or encoded.
ConvertResult MakeSong(HelperWorker& helper, ConvertCache& cache, const std::string& source,
                       const std::string& hash, const ConvertSettings& settings,
                       const SourceStamp& before, const std::atomic<bool>& cancel) {
  const std::string encode_key = ConvertCache::EncodeKey(hash, settings);
  const std::string temporary = cache.TemporaryPath(encode_key);
  if (temporary.empty()) {
    return Outcome(ConvertAction::kFailed, "cannot make the cache folder " + cache.Folder());
  }
  HelperMessage request{"make", {}};
  request.Set("source", source)
      .Set("target", temporary)
      .SetNumber("kbps", settings.bit_rate_kbps)
      .SetNumber("reencode", settings.reencode ? 1 : 0);
  const HelperReply reply = helper.Ask(request, "made", cancel);
  ConvertStatus status = reply.answered ? StatusFrom(reply.message) : reply.failure;
  const SourceKind kind = reply.answered ? ProbeFrom(reply.message).kind : SourceKind::kRefused;
  const std::string codec = reply.message.Text("codec");
  if (status.Done() && kind == SourceKind::kCardReady) return Accepted(source, codec);
  if (status.Done() && kind != SourceKind::kRemux && kind != SourceKind::kEncode) {
    status = ConvertStatus::Failed("the helper made no song", ConvertProblem::kHelperGarbled);
  }
  if (status.Done() && StampOf(source) != before) {
    status = ConvertStatus::Failed("the file changed or vanished while it was converted",
                                   ConvertProblem::kSourceChanged);
  }
  if (!status.Done()) {
    std::error_code error;
    fs::remove(temporary, error);
    ConvertResult result = FromStatus(status);
    result.codec = codec;
    return result;
  }
  ConvertResult result;
  result.action = kind == SourceKind::kRemux ? ConvertAction::kRemuxed : ConvertAction::kEncoded;
  result.codec = codec;
  result.song_path = cache.Commit(
      temporary, kind == SourceKind::kRemux ? ConvertCache::RemuxKey(hash) : encode_key);
  if (result.song_path.empty()) {
    return Outcome(ConvertAction::kFailed, "cannot name the converted song in " + cache.Folder());
  }
  return result;
}

ConvertResult ConvertUntimed(FileSystem& files, ConvertCache& cache, HelperWorker& helper,
                             const std::string& source, const ConvertSettings& settings,
                             const std::atomic<bool>& cancel) {
  if (cancel.load()) return Outcome(ConvertAction::kCancelled, "cancelled");
  std::string read_error;
  const M4aVerdict verdict = Walk(files, source, read_error);
  if (!read_error.empty()) {
    return Outcome(ConvertAction::kFailed, "cannot read: " + read_error,
                   ConvertProblem::kCannotRead);
  }
  const bool walk_accepts = verdict.Accepted();
  if (walk_accepts && !verdict.AudioIsNotAac() && !settings.reencode)
    return Accepted(source, "aac");
  std::error_code stamp_error;
  const std::optional<SourceStamp> before = StampOf(source, stamp_error);
  if (!before) {
    return Outcome(ConvertAction::kRefused, "cannot open: " + stamp_error.message(),
                   ConvertProblem::kCannotOpen);
  }
  const std::optional<std::string> hash = SourceContentKey(files, source);
  if (!hash) {
    return Outcome(ConvertAction::kFailed, "cannot read the file to its end",
                   ConvertProblem::kCannotRead);
  }
  // An accepted M4A with other audio is always encoded, so only its encode is looked for.
  if (!walk_accepts && !settings.reencode) {
    if (const auto song = cache.Find(ConvertCache::RemuxKey(*hash))) {
      return {ConvertAction::kRemuxed, *song, {}, {}, true, 0};
    }
  }
  if (const auto song = cache.Find(ConvertCache::EncodeKey(*hash, settings))) {
    return {ConvertAction::kEncoded, *song, {}, {}, true, 0};
  }
  if (cancel.load()) return Outcome(ConvertAction::kCancelled, "cancelled");
  return MakeSong(helper, cache, source, *hash, settings, *before, cancel);
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

ConvertResult ConvertSong(FileSystem& files, ConvertCache& cache, HelperWorker& helper,
                          const std::string& source, const ConvertSettings& settings,
                          const std::atomic<bool>& cancel) {
  const auto start = std::chrono::steady_clock::now();
  ConvertResult result = ConvertUntimed(files, cache, helper, source, settings, cancel);
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

SourceProbe ProbeSource(FileSystem& files, HelperWorker& helper, const std::string& path,
                        const std::atomic<bool>& stop) {
  SourceProbe probe;
  std::string read_error;
  Walk(files, path, read_error);
  if (!read_error.empty()) {
    probe.reason = "cannot read: " + read_error;
    probe.problem = ConvertProblem::kCannotRead;
    return probe;
  }
  HelperMessage request{"probe", {}};
  request.Set("source", path);
  const HelperReply reply = helper.Ask(request, "probed", stop);
  if (!reply.answered) {
    probe.reason = reply.failure.reason;
    probe.problem = reply.failure.problem;
    return probe;
  }
  return ProbeFrom(reply.message);
}

}  // namespace tarvello
