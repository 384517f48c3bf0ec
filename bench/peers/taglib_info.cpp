// The TagLib peer of `tarvello-cli info`: reads each file's tags and audio properties with
// TagLib in its fast mode and writes one JSON line per file, for the whole-process
// benchmark.

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstdio>
#include <string>

namespace {

// `text` as a quoted JSON string.
std::string Quoted(const TagLib::String& text) {
  std::string out = "\"";
  for (const char byte : text.to8Bit(true)) {
    if (byte == '"' || byte == '\\') out += '\\';
    if (static_cast<unsigned char>(byte) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(byte));
      out += escape;
    } else {
      out += byte;
    }
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const TagLib::FileRef file(argv[i], true, TagLib::AudioProperties::Fast);
    const TagLib::Tag* tag = file.tag();
    const TagLib::AudioProperties* audio = file.audioProperties();
    if (tag == nullptr || audio == nullptr) {
      std::printf("{\"path\":%s,\"accepted\":false}\n", Quoted(argv[i]).c_str());
      status = 1;
      continue;
    }
    std::printf(
        "{\"path\":%s,\"accepted\":true,\"Title\":%s,\"Artist\":%s,\"Album\":%s,\"Genre\":%s,"
        "\"Comment\":%s,\"Year\":%u,\"TrackNo\":%u,\"Time\":%d,\"BitRate\":%d,"
        "\"SampleRate\":%d,\"ChNum\":%d}\n",
        Quoted(TagLib::String(argv[i], TagLib::String::UTF8)).c_str(), Quoted(tag->title()).c_str(),
        Quoted(tag->artist()).c_str(), Quoted(tag->album()).c_str(), Quoted(tag->genre()).c_str(),
        Quoted(tag->comment()).c_str(), tag->year(), tag->track(), audio->lengthInSeconds(),
        audio->bitrate(), audio->sampleRate(), audio->channels());
  }
  return status;
}
