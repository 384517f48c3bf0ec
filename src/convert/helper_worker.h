#pragma once

// One helper process seen from the pool: started on the first request, asked one request
// at a time, and ended when it crashes, stalls, garbles its reply or is cancelled (the
// next request starts a new one).

#include <atomic>
#include <chrono>
#include <string>

#include "convert/convert_status.h"
#include "convert/helper_options.h"
#include "convert/helper_protocol.h"
#include "platform/child_process.h"

namespace tarvello {

// The final reply to a request, or why there is none.
struct HelperReply {
  bool answered = false;
  HelperMessage message;  // when answered
  ConvertStatus failure;  // when not: the helper failed, or the request was cancelled
};

class HelperWorker {
 public:
  // `program` is the helper's path; it may write only below `cache_folder`.
  HelperWorker(std::string program, std::string cache_folder,
               std::chrono::milliseconds stall_limit);
  ~HelperWorker();
  HelperWorker(const HelperWorker&) = delete;
  HelperWorker& operator=(const HelperWorker&) = delete;

  // Sends `request` and waits for the reply of type `reply_type`, taking the helper's
  // progress reports on the way. A set `cancel` ends the helper.
  HelperReply Ask(const HelperMessage& request, const std::string& reply_type,
                  const std::atomic<bool>& cancel);
  // Ends the helper, if one runs.
  void Stop();
  bool Running() const { return child_.Running(); }

 private:
  bool Start(ConvertStatus& failure);
  // Waits for the next message other than progress; false with `failure` set when none
  // comes.
  bool Receive(HelperMessage& message, const std::atomic<bool>& cancel, ConvertStatus& failure);
  ConvertStatus Ended();
  ConvertStatus Garbled(const std::string& what);

  std::string program_;
  std::string cache_folder_;
  std::chrono::milliseconds stall_limit_;
  ChildProcess child_;
  std::string buffer_;
};

}  // namespace tarvello
