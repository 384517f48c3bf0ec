#include "output/output_start_check.h"

namespace tarvello {

OutputStartBlock CheckOutputStart(const TDriveInfo* drive, const OutputTotals& totals,
                                  const TrackList& rows) {
  if (drive == nullptr) return OutputStartBlock::kNoDrive;
  if (!drive->HasMedium) return OutputStartBlock::kNoMedium;
  if (totals.Count > 0) return OutputStartBlock::kNone;
  if (rows.RowCount() == 0) return OutputStartBlock::kEmptyList;
  // A missing file's row comes back marked when its file does: it counts as marked.
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (rows.Row(row).icon == kIconFileMissing) return OutputStartBlock::kMarkedFilesMissing;
  }
  return OutputStartBlock::kNothingMarked;
}

StatusNotice OutputStartNotice(OutputStartBlock block) {
  switch (block) {
    case OutputStartBlock::kNone:
      return {0, ""};
    case OutputStartBlock::kNoDrive:
      return {1, "出力先のドライブが選ばれていません."};
    case OutputStartBlock::kNoMedium:
      // The drive status already names the volume and says it holds no medium.
      return {1, ""};
    case OutputStartBlock::kEmptyList:
      return {0, "出力する曲がありません. 曲を追加してください."};
    case OutputStartBlock::kNothingMarked:
      return {0, "出力対象の曲がありません."};
    case OutputStartBlock::kMarkedFilesMissing:
      return {0, "出力対象の曲のファイルが見つかりません."};
  }
  return {0, ""};
}

}  // namespace tarvello
