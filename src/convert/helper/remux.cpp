#include "convert/helper/remux.h"

#include "convert/helper/m4a_output.h"

namespace tarvello {

ConvertStatus RemuxToM4a(SourceInput& input, const SongTags& tags, const std::string& target,
                         const std::atomic<bool>& cancel) {
  M4aOutput output;
  if (ConvertStatus opened = output.Open(target, tags); !opened.Done()) return opened;
  AVStream* source = input.Audio();
  if (avcodec_parameters_copy(output.Audio()->codecpar, source->codecpar) < 0) {
    return ConvertStatus::Failed("out of memory");
  }
  // The source's sample entry type (or none, for ADTS) is the muxer's to choose.
  output.Audio()->codecpar->codec_tag = 0;
  output.Audio()->time_base = source->time_base;
  if (ConvertStatus header = output.WriteHeader(); !header.Done()) return header;
  Packet packet(av_packet_alloc());
  if (!packet) return ConvertStatus::Failed("out of memory");
  int copied = 0;
  while (true) {
    if (cancel.load(std::memory_order_relaxed)) return ConvertStatus::Cancelled();
    const int read = av_read_frame(input.format.get(), packet.get());
    // A source that breaks off keeps what came before the break, as players do.
    if (read < 0) break;
    if (packet->stream_index != input.audio_index) {
      av_packet_unref(packet.get());
      continue;
    }
    if (PacketIsEncrypted(packet.get())) return EncryptedRefusal();
    ConvertStatus written = output.WritePacket(packet.get(), source->time_base);
    av_packet_unref(packet.get());
    if (!written.Done()) return written;
    ++copied;
  }
  if (copied == 0) {
    return ConvertStatus::Refused("no audio could be read", ConvertProblem::kNothingDecodes);
  }
  return output.Finish();
}

}  // namespace tarvello
