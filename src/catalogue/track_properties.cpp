#include "catalogue/track_properties.h"

#include <cinttypes>
#include <cstdio>

#include "catalogue/genre_names.h"
#include "common/cp932.h"

namespace tarvello {
namespace {

template <size_t N>
std::string Text(const char (&field)[N]) {
  return Cp932ToUtf8(FieldText(field));
}

// A count shown only when there is one.
std::string PositiveNumber(int64_t value) {
  return value > 0 ? std::to_string(value) : std::string();
}

// Minutes are not split into hours; a negative time from a broken header keeps one sign.
std::string MinutesAndSeconds(int32_t time) {
  const int64_t magnitude = time < 0 ? -int64_t{time} : int64_t{time};
  char text[32];
  std::snprintf(text, sizeof text, "%s%" PRId64 ":%.2" PRId64, time < 0 ? "-" : "", magnitude / 60,
                magnitude % 60);
  return text;
}

void ShowSourceTexts(const TagTexts& source, TrackProperties& texts) {
  texts.title = source.title;
  texts.artist = source.artist;
  texts.album = source.album;
  if (!source.genre.empty()) texts.genre = source.genre;  // else the genre number's name
  texts.group = source.group;
  texts.writer = source.writer;
  texts.comment = source.comment;
  texts.tool = source.tool;
}

}  // namespace

TrackProperties PropertyTexts(const TTrackInfo& track, const NumberSymbols& symbols,
                              const TagTexts* source_texts) {
  TrackProperties texts;
  texts.title = Text(track.Title);
  texts.time = MinutesAndSeconds(track.Time);
  texts.artist = Text(track.Artist);
  texts.album = Text(track.Album);
  texts.genre = track.Genre[0] != '\0' ? Text(track.Genre) : std::string(GenreName(track.GenreNo));
  texts.year = Text(track.Year);
  texts.track_no = PositiveNumber(track.TrackNo);
  texts.track_total = PositiveNumber(track.TrackTotal);
  texts.disk_no = PositiveNumber(track.DiskNo);
  texts.disk_total = PositiveNumber(track.DiskTotal);
  texts.tempo = PositiveNumber(track.Tempo);
  texts.channels = PositiveNumber(track.ChNum);
  texts.bit_rate = std::to_string(track.BitRate / 1000) + " kbps";
  texts.sample_rate =
      track.SampleRate > 0 ? FormatKilohertz(track.SampleRate, symbols) : std::string();
  texts.group = Text(track.Group);
  texts.writer = Text(track.Writer);
  texts.comment = Text(track.Comment);
  texts.compilation = track.Compilation > 0;
  texts.tool = Text(track.Tool);
  texts.file_size = FormatFileSize(track.FileSize, symbols);
  texts.file_name = std::string(FieldText(track.FileName));
  if (source_texts != nullptr) ShowSourceTexts(*source_texts, texts);
  return texts;
}

}  // namespace tarvello
