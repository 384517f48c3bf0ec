#include "sync/sync_run.h"

#include <set>

#include "catalogue/track_list.h"
#include "output/output_messages.h"
#include "output/output_summary.h"
#include "sync/card_songs.h"
#include "sync/reencode.h"

namespace tarvello {
namespace {

class SyncRun {
 public:
  SyncRun(SyncPlan& plan, const SyncRunSettings& settings, SyncContext& context,
          OutputProgress& progress)
      : plan_(plan), settings_(settings), context_(context), progress_(progress) {
    for (size_t i = 0; i < plan_.songs.size(); ++i) {
      if (plan_.songs[i].reencode_kept) reencoded_.insert(static_cast<int>(i));
    }
  }

  SyncResult Run() {
    if (plan_.Refused()) {
      result_.refusal = plan_.refusal;
      return result_;
    }
    if (plan_.NeedsConfirmation() && !settings_.confirmed) {
      result_.refusal = {SyncRefusalKind::kNotConfirmed, MassRemovalQuestion(plan_)};
      return result_;
    }
    const FitPlan fit = Fit();
    if (result_.refusal.kind != SyncRefusalKind::kNone) return result_;
    Output(fit);
    return result_;
  }

 private:
  // The plan's re-encodes made, then the songs left out that the real sizes ask for;
  // nothing more is re-encoded, so the card gets what the plan showed.
  FitPlan Fit() {
    std::vector<int> wanted;
    for (int index : plan_.fit.reencoded) {
      if (!reencoded_.contains(index)) wanted.push_back(index);
    }
    if (!wanted.empty() && !Reencode(wanted)) return {};
    std::vector<FitSong> songs;
    for (int32_t i = 0; i < plan_.table.TrackCount(); ++i) {
      songs.push_back({plan_.table[i].FileSize, plan_.table[i].Time, 0});
    }
    FitPlan fit = PlanFit(songs, plan_.room);
    if (fit.left_out.size() == plan_.songs.size()) {
      result_.refusal = {SyncRefusalKind::kNothingFits, kNotEnoughRoom};
    }
    return fit;
  }

  // False when the re-encodes were cancelled.
  bool Reencode(const std::vector<int>& indexes) {
    std::vector<std::string> songs;
    for (int index : indexes) songs.emplace_back(FieldText(plan_.table[index].FileName));
    bool cancelled = false;
    const std::vector<Reencoded> made =
        ReencodeSongs(context_.platform.files, context_.cache, context_.make_jobs,
                      plan_.room.floor_kbps, songs, progress_, cancelled);
    for (size_t i = 0; i < made.size(); ++i) {
      const int index = indexes[i];
      reencoded_.insert(index);  // a failed one is not tried again either
      if (!made[i].song) {
        if (!cancelled) result_.failures.push_back(made[i].failure);
        continue;
      }
      plan_.pinned.push_back(*made[i].song);
      if (!ReadSongRecord(context_.platform.files, *made[i].song, plan_.table[index])) {
        result_.failures.push_back(*made[i].song + ": 再エンコードした曲を読み込めません.");
      }
    }
    if (cancelled) result_.refusal = {SyncRefusalKind::kCancelled, {}};
    return !cancelled;
  }

  void Output(const FitPlan& fit) {
    const std::set<int> left_out(fit.left_out.begin(), fit.left_out.end());
    TrackTable table;
    for (int32_t i = 0; i < plan_.table.TrackCount(); ++i) {
      if (left_out.contains(i)) {
        result_.left_out.push_back(plan_.songs[i].title);
      } else {
        table.StoreTrack(table.TrackCount(), plan_.table[i]);
        if (reencoded_.contains(i)) ++result_.reencoded;
      }
    }
    TrackList rows(NumberSymbols::FromLocale(), MakeLocaleCollator());
    OutputTotals totals;
    rows.BuildRows(0, table.TrackCount() - 1, table, totals, plan_.drive.ClusterSize());
    totals = Recount(rows, table, context_.platform.files, plan_.drive.ClusterSize()).totals;
    if (!ExecuteAllowed(totals, &plan_.drive)) {
      result_.refusal = {SyncRefusalKind::kNothingFits, kNotEnoughRoom};
      return;
    }
    const OutputRunSettings run{plan_.folder, plan_.options, settings_.backup_base,
                                settings_.verify, context_.hash_cache_folder};
    TempNameCounter temp_names;
    result_.output = RunOutput(run, rows, table, context_.platform, temp_names, progress_);
  }

  SyncPlan& plan_;
  const SyncRunSettings& settings_;
  SyncContext& context_;
  OutputProgress& progress_;
  std::set<int> reencoded_;
  SyncResult result_;
};

}  // namespace

SyncResult RunSync(SyncPlan& plan, const SyncRunSettings& settings, SyncContext& context,
                   OutputProgress& progress) {
  SyncResult result = SyncRun(plan, settings, context, progress).Run();
  ReleaseCardSongs(context.cache, plan.pinned);
  return result;
}

std::string SyncDoneText(const SyncPlan& plan, const SyncResult& result,
                         const std::string& card_name) {
  if (result.refusal.kind != SyncRefusalKind::kNone) return result.refusal.message;
  if (result.output.end != OutputRunEnd::kCompleted) {
    return "カード " + card_name + " の更新は完了していません.";
  }
  std::string text =
      "カード " + card_name + " を更新しました: " + std::to_string(result.output.written) + " 曲";
  if (plan.added > 0) text += "、" + std::to_string(plan.added) + " 曲を追加";
  if (plan.removed > 0) text += "、" + std::to_string(plan.removed) + " 曲を削除";
  if (result.reencoded > 0) text += "、" + std::to_string(result.reencoded) + " 曲を再エンコード";
  if (!result.left_out.empty()) {
    text += "、" + std::to_string(result.left_out.size()) + " 曲を除外";
  }
  return text + ".";
}

}  // namespace tarvello
