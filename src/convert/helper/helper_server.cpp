#include "convert/helper/helper_server.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include "convert/helper/encode.h"
#include "convert/helper/ffmpeg_probe.h"
#include "convert/helper/remux.h"
#include "convert/helper/source_input.h"
#include "convert/helper_protocol.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {
namespace {

constexpr int kExitGarbledRequest = 2;
constexpr int kExitReplyLost = 3;
constexpr std::chrono::seconds kProgressEvery{1};

bool WriteAll(int output, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(output, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

// Tells the pool, at most once a second, that FFmpeg is still reading: FFmpeg calls the
// interrupt callback between its reads.
class ProgressReport {
 public:
  explicit ProgressReport(int output) : output_(output) {}

  AVIOInterruptCB Callback() { return {&ProgressReport::Tick, this}; }

 private:
  static int Tick(void* opaque) {
    auto* report = static_cast<ProgressReport*>(opaque);
    const auto now = std::chrono::steady_clock::now();
    if (now - report->last_ >= kProgressEvery) {
      report->last_ = now;
      WriteAll(report->output_, EncodeHelperMessage({"progress", {}}));
    }
    return 0;  // never interrupts: the pool ends a helper it wants stopped
  }

  int output_;
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

HelperMessage Probe(FileSystem& files, const HelperMessage& request, ProgressReport& progress) {
  HelperMessage reply{"probed", {}};
  PutProbe(ProbeSource(files, request.Text("source"), progress.Callback()), reply);
  return reply;
}

ConvertStatus Write(const SourceProbe& probe, const HelperMessage& request,
                    ProgressReport& progress) {
  // The pool ends the helper to cancel, so nothing here is ever cancelled.
  const std::atomic<bool> never{false};
  SourceInput input;
  const std::string target = request.Text("target");
  ConvertStatus status = OpenSourceInput(request.Text("source"), input, progress.Callback());
  if (status.Done()) {
    status = probe.kind == SourceKind::kRemux
                 ? RemuxToM4a(input, probe.tags, target, never)
                 : EncodeToM4a(input, probe.tags, static_cast<int>(request.Number("kbps")), target,
                               never);
  }
  if (!status.Done()) {
    std::error_code error;
    std::filesystem::remove(target, error);
  }
  return status;
}

HelperMessage Make(FileSystem& files, const HelperMessage& request, ProgressReport& progress) {
  SourceProbe probe = ProbeSource(files, request.Text("source"), progress.Callback());
  // A re-encode makes a smaller song of one the card would take as it is.
  if (request.Number("reencode") != 0 &&
      (probe.kind == SourceKind::kCardReady || probe.kind == SourceKind::kRemux)) {
    probe.kind = SourceKind::kEncode;
  }
  ConvertStatus status = ConvertStatus::Ok();
  if (probe.kind == SourceKind::kRefused) {
    status = ConvertStatus::Refused(probe.reason, probe.problem);
  } else if (probe.kind != SourceKind::kCardReady) {
    status = Write(probe, request, progress);
  }
  HelperMessage reply{"made", {}};
  PutProbe(probe, reply);
  PutStatus(status, reply);
  return reply;
}

}  // namespace

int ServeConversions(int input, int output, const std::string& sandbox) {
  PosixFileSystem files;
  ProgressReport progress(output);
  HelperMessage hello{"hello", {}};
  hello.SetNumber("version", kHelperProtocolVersion).Set("sandbox", sandbox);
  if (!WriteAll(output, EncodeHelperMessage(hello))) return kExitReplyLost;
  std::string buffer;
  char chunk[4096];
  while (true) {
    HelperMessage request;
    const HelperFrame frame = TakeHelperMessage(buffer, request);
    if (frame == HelperFrame::kGarbled) return kExitGarbledRequest;
    if (frame == HelperFrame::kIncomplete) {
      const ssize_t got = ::read(input, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return buffer.empty() ? 0 : kExitGarbledRequest;
      buffer.append(chunk, static_cast<size_t>(got));
      continue;
    }
    HelperMessage reply;
    if (request.type == "probe") {
      reply = Probe(files, request, progress);
    } else if (request.type == "make") {
      reply = Make(files, request, progress);
    } else {
      return kExitGarbledRequest;
    }
    if (!WriteAll(output, EncodeHelperMessage(reply))) return kExitReplyLost;
  }
}

}  // namespace tarvello
