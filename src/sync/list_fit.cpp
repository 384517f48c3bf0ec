#include "sync/list_fit.h"

#include "catalogue/row_marks.h"
#include "output/output_targets.h"
#include "sync/reencode.h"

namespace tarvello {

ListFit PlanListFit(const TrackList& rows, const TrackTable& table, const TDriveInfo& drive,
                    int floor_kbps) {
  ListFit fit;
  fit.room = {drive.FreeBytes + drive.OutputFolderBytes, drive.ClusterSize(), floor_kbps};
  std::vector<FitSong> songs;
  for (int row = 0; row < rows.RowCount(); ++row) {
    const TTrackInfo* record = RowRecord(rows, table, row);
    if (!IsOutputTarget(rows.Row(row)) || record == nullptr) continue;
    fit.rows.push_back(row);
    const int32_t bit_rate = record->AvgBitRate > 0 ? record->AvgBitRate : record->BitRate;
    songs.push_back({record->FileSize, record->Time, bit_rate});
  }
  fit.plan = PlanFit(songs, fit.room);
  return fit;
}

std::string ListFitOfferText(const ListFit& fit) {
  std::string text = "カードに合わせる: ";
  if (!fit.plan.reencoded.empty()) {
    text += std::to_string(fit.plan.reencoded.size()) + " 曲を " +
            std::to_string(fit.room.floor_kbps) + " kbps に再エンコード";
  }
  if (!fit.plan.left_out.empty()) {
    if (!fit.plan.reencoded.empty()) text += "、";
    text += std::to_string(fit.plan.left_out.size()) + " 曲を除外";
  }
  return text;
}

ListFitResult ApplyListFit(const ListFit& fit, TrackList& rows, TrackTable& table,
                           FileSystem& files, ConvertCache& cache,
                           const ConvertJobsMaker& make_jobs, OutputProgress& progress) {
  ListFitResult result;
  std::vector<std::string> songs;
  for (int index : fit.plan.reencoded) {
    songs.emplace_back(FieldText(RowRecord(rows, table, fit.rows[index])->FileName));
  }
  const std::vector<Reencoded> made = ReencodeSongs(files, cache, make_jobs, fit.room.floor_kbps,
                                                    songs, progress, result.cancelled);
  std::vector<FitSong> real;
  for (int row : fit.rows) {
    const TTrackInfo* record = RowRecord(rows, table, row);
    real.push_back({record->FileSize, record->Time, 0});
  }
  for (size_t i = 0; i < made.size(); ++i) {
    const int row = fit.rows[fit.plan.reencoded[i]];
    if (!made[i].song) {
      if (!result.cancelled) result.failures.push_back(made[i].failure);
      continue;
    }
    result.songs.push_back(*made[i].song);
    TTrackInfo* record = RowRecord(rows, table, row);
    if (ReadSongRecord(files, *made[i].song, *record)) {
      result.reencoded_rows.push_back(row);
      real[fit.plan.reencoded[i]].bytes = record->FileSize;
    }
  }
  if (result.cancelled) return result;
  // The real sizes decide which songs stay out; a re-encode is not tried twice.
  OutputTotals ignored;
  std::vector<int> unmark;
  for (int index : PlanFit(real, fit.room).left_out) unmark.push_back(fit.rows[index]);
  result.unmarked_rows = UncheckRows(rows, unmark, ignored, fit.room.cluster_size);
  for (int row : result.reencoded_rows) rows.BuildRows(row, row, table, ignored, 0);
  return result;
}

}  // namespace tarvello
