#include "convert/helper/encode.h"

#include <algorithm>

#include "convert/helper/m4a_output.h"

namespace tarvello {
namespace {

constexpr AVSampleFormat kEncoderFormat = AV_SAMPLE_FMT_FLTP;

// The state of one encode: decoder, resampler, a queue of resampled samples cut into the
// encoder's frames, and the encoder.
class AacEncode {
 public:
  AacEncode(SourceInput& input, M4aOutput& output, const std::atomic<bool>& cancel)
      : input_(input), output_(output), cancel_(cancel) {}

  ConvertStatus Open(int kbps);
  ConvertStatus Run();

 private:
  ConvertStatus OpenDecoder();
  ConvertStatus OpenEncoder(int kbps);
  ConvertStatus OpenResampler(const AVFrame& first);
  ConvertStatus Decode(const AVPacket* packet);
  ConvertStatus Resample(const AVFrame* frame);
  ConvertStatus EncodeQueued(bool all);
  ConvertStatus SendToEncoder(AVFrame* frame);

  SourceInput& input_;
  M4aOutput& output_;
  const std::atomic<bool>& cancel_;
  CodecContext decoder_;
  CodecContext encoder_;
  Resampler resampler_;
  AudioFifo queue_;
  Frame decoded_{av_frame_alloc()};
  Frame resampled_{av_frame_alloc()};
  Packet packet_{av_packet_alloc()};
  int64_t next_pts_ = 0;
  int64_t decoded_samples_ = 0;
};

ConvertStatus AacEncode::OpenDecoder() {
  const AVCodecParameters* parameters = input_.Audio()->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  if (!codec) {
    return ConvertStatus::Refused(std::string("no decoder for ") +
                                  avcodec_get_name(parameters->codec_id));
  }
  decoder_.reset(avcodec_alloc_context3(codec));
  if (!decoder_ || avcodec_parameters_to_context(decoder_.get(), parameters) < 0) {
    return ConvertStatus::Failed("out of memory");
  }
  decoder_->pkt_timebase = input_.Audio()->time_base;
  const int opened = avcodec_open2(decoder_.get(), codec, nullptr);
  if (opened < 0) return ConvertStatus::Refused("cannot decode: " + AvErrorText(opened));
  return ConvertStatus::Ok();
}

ConvertStatus AacEncode::OpenEncoder(int kbps) {
  const AVCodec* codec = avcodec_find_encoder_by_name("aac");
  if (!codec) return ConvertStatus::Failed("FFmpeg has no AAC encoder");
  encoder_.reset(avcodec_alloc_context3(codec));
  if (!encoder_) return ConvertStatus::Failed("out of memory");
  const int rate = EncodedSampleRate(decoder_->sample_rate);
  encoder_->sample_rate = rate;
  encoder_->time_base = AVRational{1, rate};
  encoder_->sample_fmt = kEncoderFormat;
  encoder_->bit_rate = int64_t{kbps} * 1000;
  encoder_->profile = FF_PROFILE_AAC_LOW;
  av_channel_layout_default(&encoder_->ch_layout, EncodedChannels(decoder_->ch_layout.nb_channels));
  // The M4A keeps the decoder configuration in its sample entry, not in the frames.
  encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int opened = avcodec_open2(encoder_.get(), codec, nullptr);
  if (opened < 0) return ConvertStatus::Failed("cannot start the encoder: " + AvErrorText(opened));
  AVStream* stream = output_.Audio();
  if (avcodec_parameters_from_context(stream->codecpar, encoder_.get()) < 0) {
    return ConvertStatus::Failed("out of memory");
  }
  stream->time_base = encoder_->time_base;
  queue_.reset(av_audio_fifo_alloc(kEncoderFormat, encoder_->ch_layout.nb_channels,
                                   encoder_->frame_size * 4));
  if (!queue_) return ConvertStatus::Failed("out of memory");
  return ConvertStatus::Ok();
}

// Made from the first decoded frame: some decoders tell their layout only then.
ConvertStatus AacEncode::OpenResampler(const AVFrame& first) {
  AVChannelLayout source_layout{};
  if (first.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&source_layout, first.ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&source_layout, &first.ch_layout) < 0) {
    return ConvertStatus::Failed("out of memory");
  }
  SwrContext* context = nullptr;
  const int made = swr_alloc_set_opts2(
      &context, &encoder_->ch_layout, kEncoderFormat, encoder_->sample_rate, &source_layout,
      static_cast<AVSampleFormat>(first.format), first.sample_rate, 0, nullptr);
  av_channel_layout_uninit(&source_layout);
  resampler_.reset(context);
  if (made < 0 || swr_init(context) < 0) {
    return ConvertStatus::Refused("cannot convert this audio's layout");
  }
  return ConvertStatus::Ok();
}

ConvertStatus AacEncode::Open(int kbps) {
  if (!decoded_ || !resampled_ || !packet_) return ConvertStatus::Failed("out of memory");
  if (ConvertStatus decoder = OpenDecoder(); !decoder.Done()) return decoder;
  if (ConvertStatus encoder = OpenEncoder(kbps); !encoder.Done()) return encoder;
  return output_.WriteHeader();
}

ConvertStatus AacEncode::Resample(const AVFrame* frame) {
  if (!resampler_) {
    if (!frame) return ConvertStatus::Ok();
    if (ConvertStatus opened = OpenResampler(*frame); !opened.Done()) return opened;
  }
  const int capacity = swr_get_out_samples(resampler_.get(), frame ? frame->nb_samples : 0);
  if (capacity <= 0) return ConvertStatus::Ok();
  if (resampled_->nb_samples < capacity) {
    av_frame_unref(resampled_.get());
    resampled_->format = kEncoderFormat;
    resampled_->sample_rate = encoder_->sample_rate;
    resampled_->nb_samples = capacity;
    if (av_channel_layout_copy(&resampled_->ch_layout, &encoder_->ch_layout) < 0 ||
        av_frame_get_buffer(resampled_.get(), 0) < 0) {
      return ConvertStatus::Failed("out of memory");
    }
  }
  const int converted =
      swr_convert(resampler_.get(), resampled_->extended_data, capacity,
                  frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                  frame ? frame->nb_samples : 0);
  if (converted < 0) return ConvertStatus::Failed("cannot resample: " + AvErrorText(converted));
  if (converted > 0 &&
      av_audio_fifo_write(queue_.get(), reinterpret_cast<void**>(resampled_->extended_data),
                          converted) < converted) {
    return ConvertStatus::Failed("out of memory");
  }
  return ConvertStatus::Ok();
}

ConvertStatus AacEncode::SendToEncoder(AVFrame* frame) {
  const int sent = avcodec_send_frame(encoder_.get(), frame);
  if (sent < 0) return ConvertStatus::Failed("cannot encode: " + AvErrorText(sent));
  while (true) {
    const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return ConvertStatus::Ok();
    if (received < 0) return ConvertStatus::Failed("cannot encode: " + AvErrorText(received));
    ConvertStatus written = output_.WritePacket(packet_.get(), encoder_->time_base);
    av_packet_unref(packet_.get());
    if (!written.Done()) return written;
  }
}

// Full encoder frames from the queue; `all` also sends the short last one.
ConvertStatus AacEncode::EncodeQueued(bool all) {
  const int frame_size = encoder_->frame_size;
  while (av_audio_fifo_size(queue_.get()) >= frame_size ||
         (all && av_audio_fifo_size(queue_.get()) > 0)) {
    Frame frame(av_frame_alloc());
    if (!frame) return ConvertStatus::Failed("out of memory");
    frame->nb_samples = std::min(frame_size, av_audio_fifo_size(queue_.get()));
    frame->format = kEncoderFormat;
    frame->sample_rate = encoder_->sample_rate;
    if (av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout) < 0 ||
        av_frame_get_buffer(frame.get(), 0) < 0) {
      return ConvertStatus::Failed("out of memory");
    }
    av_audio_fifo_read(queue_.get(), reinterpret_cast<void**>(frame->data), frame->nb_samples);
    frame->pts = next_pts_;
    next_pts_ += frame->nb_samples;
    if (ConvertStatus sent = SendToEncoder(frame.get()); !sent.Done()) return sent;
  }
  return ConvertStatus::Ok();
}

// Sends a packet (nullptr: the end) and takes every frame the decoder gives back. Data
// the decoder cannot use is passed over, as players do.
ConvertStatus AacEncode::Decode(const AVPacket* packet) {
  // A packet the decoder refuses is passed over; the frames it already holds still come.
  avcodec_send_packet(decoder_.get(), packet);
  while (true) {
    const int received = avcodec_receive_frame(decoder_.get(), decoded_.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return ConvertStatus::Ok();
    if (received == AVERROR_INVALIDDATA) continue;
    if (received < 0) return ConvertStatus::Ok();
    decoded_samples_ += decoded_->nb_samples;
    ConvertStatus resampled = Resample(decoded_.get());
    av_frame_unref(decoded_.get());
    if (!resampled.Done()) return resampled;
    if (ConvertStatus encoded = EncodeQueued(false); !encoded.Done()) return encoded;
  }
}

ConvertStatus AacEncode::Run() {
  Packet packet(av_packet_alloc());
  if (!packet) return ConvertStatus::Failed("out of memory");
  while (true) {
    if (cancel_.load(std::memory_order_relaxed)) return ConvertStatus::Cancelled();
    // A source that breaks off keeps what decoded before the break.
    if (av_read_frame(input_.format.get(), packet.get()) < 0) break;
    if (packet->stream_index != input_.audio_index) {
      av_packet_unref(packet.get());
      continue;
    }
    if (PacketIsEncrypted(packet.get())) return EncryptedRefusal();
    ConvertStatus decoded = Decode(packet.get());
    av_packet_unref(packet.get());
    if (!decoded.Done()) return decoded;
  }
  if (ConvertStatus decoded = Decode(nullptr); !decoded.Done()) return decoded;
  if (decoded_samples_ == 0) {
    return ConvertStatus::Refused("no audio could be decoded", ConvertProblem::kNothingDecodes);
  }
  if (ConvertStatus flushed = Resample(nullptr); !flushed.Done()) return flushed;
  if (ConvertStatus encoded = EncodeQueued(true); !encoded.Done()) return encoded;
  if (ConvertStatus drained = SendToEncoder(nullptr); !drained.Done()) return drained;
  return output_.Finish();
}

}  // namespace


ConvertStatus EncodeToM4a(SourceInput& input, const SongTags& tags, int kbps,
                          const std::string& target, const std::atomic<bool>& cancel) {
  M4aOutput output;
  if (ConvertStatus opened = output.Open(target, tags); !opened.Done()) return opened;
  AacEncode encode(input, output, cancel);
  if (ConvertStatus started = encode.Open(kbps); !started.Done()) return started;
  return encode.Run();
}

}  // namespace tarvello
