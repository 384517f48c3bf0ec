#include "convert/helper/m4a_output.h"

#include "convert/helper/source_input.h"

namespace tarvello {

ConvertStatus M4aOutput::Open(const std::string& path, const SongTags& tags) {
  AVFormatContext* context = nullptr;
  const int allocated = avformat_alloc_output_context2(&context, nullptr, "ipod", path.c_str());
  if (allocated < 0 || !context) return ConvertStatus::Failed("cannot make the M4A writer");
  format_.reset(context);
  audio_ = avformat_new_stream(context, nullptr);
  if (!audio_) return ConvertStatus::Failed("out of memory");
  WriteSongTags(tags, &context->metadata);
  const int opened = avio_open(&context->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (opened < 0) return WriteFailure(opened);
  return ConvertStatus::Ok();
}

ConvertStatus M4aOutput::WriteHeader() {
  AVDictionary* options = nullptr;
  av_dict_set(&options, "movflags", "+faststart", 0);
  const int written = avformat_write_header(format_.get(), &options);
  av_dict_free(&options);
  if (written < 0) return WriteFailure(written);
  return ConvertStatus::Ok();
}

ConvertStatus M4aOutput::WritePacket(AVPacket* packet, AVRational time_base) {
  av_packet_rescale_ts(packet, time_base, audio_->time_base);
  packet->stream_index = audio_->index;
  packet->pos = -1;
  const int written = av_interleaved_write_frame(format_.get(), packet);
  if (written < 0) return WriteFailure(written);
  if (format_->pb->error < 0) return WriteFailure(format_->pb->error);
  return ConvertStatus::Ok();
}

ConvertStatus M4aOutput::Finish() {
  const int trailer = av_write_trailer(format_.get());
  if (trailer < 0) return WriteFailure(trailer);
  avio_flush(format_->pb);
  if (format_->pb->error < 0) return WriteFailure(format_->pb->error);
  const int closed = avio_closep(&format_->pb);
  if (closed < 0) return WriteFailure(closed);
  return ConvertStatus::Ok();
}

}  // namespace tarvello
