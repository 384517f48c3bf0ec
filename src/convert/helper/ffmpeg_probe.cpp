#include "convert/helper/ffmpeg_probe.h"

#include <memory>
#include <string_view>

#include "catalogue/m4a_reader.h"
#include "convert/misread_shift_jis.h"
#include "convert/mp4_tempo.h"
#include "convert/helper/av_song_tags.h"
#include "convert/helper/source_input.h"

namespace tarvello {
namespace {

double PlaySeconds(const SourceInput& input) {
  const AVStream* audio = input.Audio();
  if (audio->duration > 0) return audio->duration * av_q2d(audio->time_base);
  if (input.format->duration > 0) return input.format->duration / double(AV_TIME_BASE);
  return 0;
}

// FFmpeg's MP4 reader passes over the tempo item: the walk's reading of it is taken when
// the walk accepts the file, else the item is looked up in the boxes, whatever the brand
// or the order of the boxes.
int Mp4Tempo(FileSystem& files, const std::string& path, const SourceInput& input,
             bool walk_accepts, const TTrackInfo& record) {
  if (walk_accepts) return record.Tempo > 0 ? record.Tempo : 0;
  if (std::string_view(input.format->iformat->name).find("mp4") == std::string_view::npos) {
    return 0;
  }
  const std::unique_ptr<ByteFile> file = files.OpenRead(path);
  return file ? ReadMp4Tempo(*file) : 0;
}

}  // namespace

SourceProbe ProbeSource(FileSystem& files, const std::string& path,
                        const AVIOInterruptCB& interrupt) {
  SourceProbe probe;
  bool walk_accepts = false;
  auto record = std::make_unique<TTrackInfo>();
  try {
    walk_accepts = ReadM4aRecord(files, *record, path, path).Accepted();
    probe.file_size = record->FileSize;
  } catch (const FileError& error) {
    probe.reason = std::string("cannot open: ") + error.what();
    probe.problem = ConvertProblem::kCannotOpen;
    return probe;
  }
  SourceInput input;
  if (ConvertStatus opened = OpenSourceInput(path, input, interrupt); !opened.Done()) {
    probe.reason = opened.reason;
    probe.problem = opened.problem;
    return probe;
  }
  const AVCodecID codec = input.Audio()->codecpar->codec_id;
  probe.codec = avcodec_get_name(codec);
  probe.seconds = PlaySeconds(input);
  probe.channels = input.Audio()->codecpar->ch_layout.nb_channels;
  probe.sample_rate = input.Audio()->codecpar->sample_rate;
  probe.tags = ReadSongTags(input.format->metadata, input.Audio()->metadata);
  RepairMisreadShiftJis(probe.tags);
  if (probe.tags.tempo == 0) probe.tags.tempo = Mp4Tempo(files, path, input, walk_accepts, *record);
  if (codec == AV_CODEC_ID_AAC) {
    probe.kind = walk_accepts ? SourceKind::kCardReady : SourceKind::kRemux;
  } else if (avcodec_find_decoder(codec)) {
    // An accepted M4A whose audio is not AAC (ALAC) would not play on the phone.
    probe.kind = SourceKind::kEncode;
  } else {
    probe.reason = "no decoder for " + probe.codec;
  }
  return probe;
}

}  // namespace tarvello
