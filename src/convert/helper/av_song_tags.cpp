#include "convert/helper/av_song_tags.h"

#include <charconv>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace tarvello {
namespace {

// The first value found under any of `keys`, the container before the stream.
std::string Lookup(const AVDictionary* container, const AVDictionary* stream,
                   std::initializer_list<const char*> keys) {
  for (const AVDictionary* dictionary : {container, stream}) {
    for (const char* key : keys) {
      const AVDictionaryEntry* entry = av_dict_get(dictionary, key, nullptr, 0);
      if (entry && entry->value && *entry->value) return entry->value;
    }
  }
  return {};
}

// The leading whole number of a text ("7", "7/12", " 120.0"); 0 when there is none or
// it does not fit the item the walk reads (16 bits).
int LeadingNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || value < 0 || value > 32767) return 0;
  return value;
}

// "n/N" splits into both numbers; a separate total wins when the text has none.
void ReadPair(const std::string& text, const std::string& total_text, int& number, int& total) {
  number = LeadingNumber(text);
  const size_t slash = text.find('/');
  total = slash == std::string::npos ? 0 : LeadingNumber(std::string_view(text).substr(slash + 1));
  if (total == 0) total = LeadingNumber(total_text);
}

std::string YearOf(const std::string& date) {
  if (date.size() < 4) return {};
  for (size_t i = 0; i < 4; ++i) {
    if (date[i] < '0' || date[i] > '9') return {};
  }
  return date.substr(0, 4);
}

bool IsTrue(const std::string& flag) {
  return !flag.empty() && (LeadingNumber(flag) > 0 || flag == "true" || flag == "TRUE" ||
                           flag == "yes" || flag == "Yes");
}

void SetText(AVDictionary** metadata, const char* key, const std::string& value) {
  if (!value.empty()) av_dict_set(metadata, key, value.c_str(), 0);
}

std::string PairText(int number, int total) {
  std::string text = std::to_string(number);
  if (total > 0) text.append(1, '/').append(std::to_string(total));
  return text;
}

}  // namespace

SongTags ReadSongTags(const AVDictionary* container, const AVDictionary* stream) {
  SongTags tags;
  tags.title = Lookup(container, stream, {"title"});
  tags.artist = Lookup(container, stream, {"artist", "author"});
  tags.album = Lookup(container, stream, {"album"});
  tags.genre = Lookup(container, stream, {"genre"});
  tags.year = YearOf(Lookup(container, stream, {"date", "year", "TDRC", "TYER", "WM/Year"}));
  tags.composer = Lookup(container, stream, {"composer", "TCOM", "WM/Composer"});
  tags.comment = Lookup(container, stream, {"comment", "description"});
  tags.grouping =
      Lookup(container, stream, {"grouping", "TIT1", "contentgroup", "WM/ContentGroupDescription"});
  ReadPair(Lookup(container, stream, {"track", "tracknumber", "WM/TrackNumber"}),
           Lookup(container, stream, {"tracktotal", "totaltracks"}), tags.track, tags.track_total);
  ReadPair(Lookup(container, stream, {"disc", "discnumber", "TPOS", "WM/PartOfSet"}),
           Lookup(container, stream, {"disctotal", "totaldiscs"}), tags.disc, tags.disc_total);
  tags.tempo = LeadingNumber(
      Lookup(container, stream, {"tmpo", "TBPM", "bpm", "tempo", "WM/BeatsPerMinute"}));
  tags.compilation = IsTrue(Lookup(container, stream, {"compilation", "TCMP", "cpil"}));
  return tags;
}

void WriteSongTags(const SongTags& tags, AVDictionary** metadata) {
  SetText(metadata, "title", tags.title);
  SetText(metadata, "artist", tags.artist);
  SetText(metadata, "album", tags.album);
  SetText(metadata, "genre", tags.genre);
  SetText(metadata, "date", tags.year);
  SetText(metadata, "composer", tags.composer);
  SetText(metadata, "comment", tags.comment);
  SetText(metadata, "grouping", tags.grouping);
  if (tags.track > 0) SetText(metadata, "track", PairText(tags.track, tags.track_total));
  if (tags.disc > 0) SetText(metadata, "disc", PairText(tags.disc, tags.disc_total));
  if (tags.tempo > 0) SetText(metadata, "tmpo", std::to_string(tags.tempo));
  if (tags.compilation) SetText(metadata, "compilation", "1");
}

}  // namespace tarvello
