#include "catalogue/track_json.h"

#include "common/json_text.h"

namespace tarvello {
namespace {

void AddRecord(JsonObject& json, const TTrackInfo& track) {
  json.Number("Deleted", track.Deleted);
  json.Number("TrackID", track.TrackID);
  json.Cp932("Title", FieldText(track.Title));
  json.Number("Time", track.Time);
  json.Cp932("Artist", FieldText(track.Artist));
  json.Cp932("Album", FieldText(track.Album));
  json.Cp932("Genre", FieldText(track.Genre));
  json.Cp932("Year", FieldText(track.Year));
  json.Cp932("Writer", FieldText(track.Writer));
  json.Cp932("Group", FieldText(track.Group));
  json.Cp932("Comment", FieldText(track.Comment));
  json.Cp932("Tool", FieldText(track.Tool));
  json.Number("TrackNo", track.TrackNo);
  json.Number("TrackTotal", track.TrackTotal);
  json.Number("DiskNo", track.DiskNo);
  json.Number("DiskTotal", track.DiskTotal);
  json.Number("Tempo", track.Tempo);
  json.Number("GenreNo", track.GenreNo);
  json.Number("Compilation", track.Compilation);
  json.Number("ChNum", track.ChNum);
  json.Number("SampleSize", track.SampleSize);
  json.Number("SampleRate", track.SampleRate);
  json.Number("BitRate", track.BitRate);
  json.Number("AvgBitRate", track.AvgBitRate);
  json.Number("FileSize", track.FileSize);
  json.Text("FileName", FieldText(track.FileName));  // a native path, not CP932
}

}  // namespace

void AppendTrackJson(std::string& out, std::string_view path, const TTrackInfo& track) {
  JsonObject json(out);
  json.Text("path", path).Bool("accepted", true);
  AddRecord(json, track);
  json.Close();
}

void AppendRefusedJson(std::string& out, std::string_view path, std::string_view reason) {
  JsonObject json(out);
  json.Text("path", path).Bool("accepted", false);
  if (!reason.empty()) json.Text("reason", reason);
  json.Close();
}

std::string TrackJsonLine(std::string_view path, const TTrackInfo* track) {
  std::string out;
  if (track != nullptr) {
    AppendTrackJson(out, path, *track);
  } else {
    AppendRefusedJson(out, path, {});
  }
  return out;
}

}  // namespace tarvello
