#include "app/list_fit_offer.h"

#include <exception>

#include "output/output_messages.h"
#include "sync/list_fit.h"

namespace tarvello {

FitAnswer ListFitOffer::Offer(TrackList& rows, TrackTable& table, const TDriveInfo& drive,
                              int floor_kbps, ConvertCache& cache, std::vector<int>& changed_rows) {
  const ListFit fit = PlanListFit(rows, table, drive, floor_kbps);
  if (!fit.plan.needed || !fit.plan.Fits(fit.room) || fit.rows.empty()) return FitAnswer::kNoOffer;
  std::string text = std::string(kNotEnoughRoom) + "\r\n\r\n" + ListFitOfferText(fit);
  for (const int index : fit.plan.left_out) {
    text += "\r\n入りきらないため除外: " + rows.Row(fit.rows[static_cast<size_t>(index)]).caption;
  }
  if (!card_view_.AskChoice(text, kFitToCard)) return FitAnswer::kDeclined;

  ListFitResult result;
  std::exception_ptr error;
  view_.RunWithProgress([&](OutputProgress& progress) {
    try {
      result = ApplyListFit(fit, rows, table, files_, cache, {}, progress);
    } catch (...) {
      error = std::current_exception();
    }
  });
  pinned_.insert(pinned_.end(), result.songs.begin(), result.songs.end());
  changed_rows = result.reencoded_rows;
  changed_rows.insert(changed_rows.end(), result.unmarked_rows.begin(), result.unmarked_rows.end());
  if (error) std::rethrow_exception(error);
  if (!result.failures.empty()) {
    std::string failures = "再エンコードできなかった曲があります.";
    for (const std::string& line : result.failures) failures += "\r\n" + line;
    view_.ShowInformation(failures);
  }
  return result.cancelled ? FitAnswer::kStopped : FitAnswer::kFitted;
}

void ListFitOffer::Release(ConvertCache& cache) {
  for (const std::string& song : pinned_) cache.Unpin(song);
  pinned_.clear();
}

}  // namespace tarvello
