#include "convert/helper_worker.h"

#include <algorithm>

namespace tarvello {
namespace {

// How often a wait looks at the cancel flag.
constexpr std::chrono::milliseconds kCancelLatency{50};
// A helper told to end gets this long to close its files.
constexpr int kStopGraceMs = 2000;

std::string DurationText(std::chrono::milliseconds duration) {
  if (duration.count() % 1000 == 0) return std::to_string(duration.count() / 1000) + " s";
  return std::to_string(duration.count()) + " ms";
}

}  // namespace

HelperWorker::HelperWorker(std::string program, std::string cache_folder,
                           std::chrono::milliseconds stall_limit)
    : program_(std::move(program)),
      cache_folder_(std::move(cache_folder)),
      stall_limit_(stall_limit) {}

HelperWorker::~HelperWorker() {
  Stop();
}

void HelperWorker::Stop() {
  if (child_.Running()) child_.Stop(kStopGraceMs);
  buffer_.clear();
}

bool HelperWorker::Start(ConvertStatus& failure) {
  buffer_.clear();
  std::string error;
  if (!child_.Start({program_, "--cache", cache_folder_}, error)) {
    failure = ConvertStatus::Failed("cannot start " + program_ + ": " + error,
                                    ConvertProblem::kHelperMissing);
    return false;
  }
  const std::atomic<bool> never{false};
  HelperMessage hello;
  if (!Receive(hello, never, failure)) return false;
  if (hello.type != "hello") {
    failure = Garbled("a first message of type " + hello.type);
    return false;
  }
  const int version = WholeNumber<int>(hello.Number("version"));
  if (version != kHelperProtocolVersion) {
    child_.Kill();
    failure =
        ConvertStatus::Failed(program_ + " speaks version " + std::to_string(version) +
                                  " of the protocol, not " + std::to_string(kHelperProtocolVersion),
                              ConvertProblem::kHelperMissing);
    return false;
  }
  return true;
}

HelperReply HelperWorker::Ask(const HelperMessage& request, const std::string& reply_type,
                              const std::atomic<bool>& cancel) {
  HelperReply reply;
  if (!child_.Running() && !Start(reply.failure)) return reply;
  if (!child_.Write(EncodeHelperMessage(request))) {
    reply.failure = Ended();
    return reply;
  }
  if (!Receive(reply.message, cancel, reply.failure)) return reply;
  if (reply.message.type != reply_type) {
    reply.failure = Garbled("a reply of type " + reply.message.type);
    return reply;
  }
  reply.answered = true;
  return reply;
}

bool HelperWorker::Receive(HelperMessage& message, const std::atomic<bool>& cancel,
                           ConvertStatus& failure) {
  auto deadline = std::chrono::steady_clock::now() + stall_limit_;
  while (true) {
    switch (TakeHelperMessage(buffer_, message)) {
      case HelperFrame::kGarbled:
        failure = Garbled("bytes that are no message");
        return false;
      case HelperFrame::kMessage:
        if (message.type != "progress") return true;
        deadline = std::chrono::steady_clock::now() + stall_limit_;
        continue;
      case HelperFrame::kIncomplete:
        break;
    }
    if (cancel.load()) {
      child_.Kill();
      failure = ConvertStatus::Cancelled();
      return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      child_.Kill();
      failure = ConvertStatus::Failed(
          "no progress for " + DurationText(stall_limit_) + "; the helper was ended",
          ConvertProblem::kHelperStalled);
      return false;
    }
    const int wait = static_cast<int>(std::min(left, kCancelLatency).count());
    if (child_.Read(buffer_, wait) == ChildProcess::ReadResult::kClosed) {
      failure = Ended();
      return false;
    }
  }
}

ConvertStatus HelperWorker::Ended() {
  const ChildEnd end = child_.Kill();
  if (end.signal != 0) {
    return ConvertStatus::Failed("the helper was ended by signal " + std::to_string(end.signal) +
                                     " (" + SignalName(end.signal) + ")",
                                 ConvertProblem::kHelperCrashed);
  }
  return ConvertStatus::Failed(
      "the helper ended with exit status " + std::to_string(end.exit_code) + " in the middle",
      ConvertProblem::kHelperCrashed);
}

ConvertStatus HelperWorker::Garbled(const std::string& what) {
  child_.Kill();
  return ConvertStatus::Failed("the helper answered " + what, ConvertProblem::kHelperGarbled);
}

}  // namespace tarvello
