#include "convert/helper/source_input.h"

#include <cerrno>

#include "convert/helper/av_handles.h"

namespace tarvello {
namespace {

bool IsEncryptedEntry(uint32_t tag) {
  return tag == MKTAG('e', 'n', 'c', 'a') || tag == MKTAG('d', 'r', 'm', 's') ||
         tag == MKTAG('d', 'r', 'm', 'i');
}

// Common Encryption marks the stream (and each packet, see PacketIsEncrypted); iTunes'
// FairPlay shows as its own sample entry.
bool IsEncrypted(const AVStream* audio) {
  return IsEncryptedEntry(audio->codecpar->codec_tag) ||
         av_stream_get_side_data(audio, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr) != nullptr;
}

}  // namespace

ConvertStatus OpenSourceInput(const std::string& path, SourceInput& input,
                              const AVIOInterruptCB& interrupt) {
  // What goes wrong reaches the user as a status; FFmpeg's own log would only be noise.
  av_log_set_level(AV_LOG_QUIET);
  AVFormatContext* context = avformat_alloc_context();
  if (context == nullptr) return ConvertStatus::Failed("out of memory");
  context->interrupt_callback = interrupt;
  // On failure FFmpeg frees the context itself.
  const int opened = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
  if (opened < 0) {
    return ConvertStatus::Refused("cannot open: " + AvErrorText(opened),
                                  ConvertProblem::kCannotOpen);
  }
  input.format.reset(context);
  const int info = avformat_find_stream_info(context, nullptr);
  if (info < 0) {
    return ConvertStatus::Refused("cannot read: " + AvErrorText(info), ConvertProblem::kCannotOpen);
  }
  input.audio_index = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (input.audio_index < 0)
    return ConvertStatus::Refused("no audio stream", ConvertProblem::kNoAudio);
  if (IsEncrypted(input.Audio())) return EncryptedRefusal();
  return ConvertStatus::Ok();
}

bool PacketIsEncrypted(const AVPacket* packet) {
  return av_packet_get_side_data(packet, AV_PKT_DATA_ENCRYPTION_INFO, nullptr) != nullptr;
}

ConvertStatus EncryptedRefusal() {
  return ConvertStatus::Refused("encrypted or copy-protected audio", ConvertProblem::kEncrypted);
}

ConvertStatus WriteFailure(int error) {
  if (error == AVERROR(ENOSPC)) return ConvertStatus::DiskFull();
  return ConvertStatus::Failed("cannot write: " + AvErrorText(error));
}

}  // namespace tarvello
