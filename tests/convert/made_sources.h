#pragma once

// Songs of every kind the converter meets, made with the ffmpeg command when a test
// suite starts, and FFmpeg reads of what a conversion wrote.

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "convert/helper/av_handles.h"
#include "convert/helper/av_song_tags.h"
#include "fakes/fake_platform.h"

namespace tarvello::testing {

// Runs the ffmpeg command quietly; true when it succeeded.
inline bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

// A path as one shell word.
inline std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

inline bool HaveFfmpeg() {
  return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

// A tone of `seconds` at `rate`, as ffmpeg's input arguments; the output's "-ac" sets
// its channels.
inline std::string Tone(double seconds, int rate = 44100) {
  return "-f lavfi -i sine=frequency=440:sample_rate=" + std::to_string(rate) +
         ":duration=" + std::to_string(seconds);
}

}  // namespace tarvello::testing

namespace tarvello {

inline void PrintTo(const SongTags& tags, std::ostream* out) {
  *out << "{title=" << tags.title << " artist=" << tags.artist << " album=" << tags.album
       << " genre=" << tags.genre << " year=" << tags.year << " composer=" << tags.composer
       << " comment=" << tags.comment << " grouping=" << tags.grouping << " track=" << tags.track
       << "/" << tags.track_total << " disc=" << tags.disc << "/" << tags.disc_total
       << " tempo=" << tags.tempo << " compilation=" << tags.compilation << "}";
}

}  // namespace tarvello

namespace tarvello::testing {

// What FFmpeg reads back from a file: its audio packets, play time and tags.
struct ReadBack {
  bool opened = false;
  std::string codec;
  std::string major_brand;
  int channels = 0;
  int sample_rate = 0;
  double decoded_seconds = 0;
  std::vector<std::string> packets;
  SongTags tags;
};

// ADTS frames carry a 7 or 9 byte header that an M4A keeps elsewhere.
inline std::string WithoutAdtsHeader(const AVPacket& packet) {
  const auto* bytes = packet.data;
  const bool adts = packet.size > 7 && bytes[0] == 0xFF && (bytes[1] & 0xF6) == 0xF0;
  const int header = !adts ? 0 : (bytes[1] & 1) ? 7 : 9;
  return std::string(reinterpret_cast<const char*>(bytes) + header, packet.size - header);
}

inline ReadBack ReadBackFile(const std::string& path, bool decode = true) {
  ReadBack read;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return read;
  InputFormat format(raw);
  if (avformat_find_stream_info(raw, nullptr) < 0) return read;
  const int index = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return read;
  AVStream* audio = raw->streams[index];
  read.opened = true;
  read.codec = avcodec_get_name(audio->codecpar->codec_id);
  read.channels = audio->codecpar->ch_layout.nb_channels;
  read.sample_rate = audio->codecpar->sample_rate;
  if (const AVDictionaryEntry* brand = av_dict_get(raw->metadata, "major_brand", nullptr, 0)) {
    read.major_brand = brand->value;
  }
  read.tags = ReadSongTags(raw->metadata, audio->metadata);
  const AVCodec* codec = avcodec_find_decoder(audio->codecpar->codec_id);
  CodecContext decoder(avcodec_alloc_context3(codec));
  avcodec_parameters_to_context(decoder.get(), audio->codecpar);
  decoder->pkt_timebase = audio->time_base;
  if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return read;
  Packet packet(av_packet_alloc());
  Frame frame(av_frame_alloc());
  int64_t samples = 0;
  int rate = 0;
  const auto drain = [&] {
    while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
      samples += frame->nb_samples;
      rate = frame->sample_rate;
      av_frame_unref(frame.get());
    }
  };
  while (av_read_frame(raw, packet.get()) >= 0) {
    if (packet->stream_index == index) {
      read.packets.push_back(WithoutAdtsHeader(*packet));
      if (decode) {
        avcodec_send_packet(decoder.get(), packet.get());
        drain();
      }
    }
    av_packet_unref(packet.get());
  }
  if (decode) {
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
  }
  read.decoded_seconds = rate ? double(samples) / rate : 0;
  return read;
}

}  // namespace tarvello::testing
