// Files the walk refuses go to the helper to be looked at, in the background: each is
// listed at once under its name, and takes its own tags when the helper has answered. A
// file the helper will not take leaves the list and is added as without conversion (a
// track list, or a refusal named in the add's box).

#include <chrono>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "app/main_presenter.h"
#include "catalogue/row_deletion.h"
#include "convert/conversion_failure_text.h"

namespace tarvello {

bool MainPresenter::AdmitForConversion(const std::string& path) {
  ConversionQueue& queue = Conversions();
  if (!queue.Settings().enabled) return false;
  if (queue.Admit(path, state_.StagingTrack) == Admission::kHelperMissing) {
    // Told once for the whole add, in place of a refusal per file.
    unconvertible_.insert(path);
    missing_helper_places_ = queue.MissingHelperPlaces();
    return false;
  }
  return state_.table.StoreTrack(state_.table.TrackCount(), state_.StagingTrack) ==
         StoreResult::kStored;
}

void MainPresenter::SettleProbes(AddContext& context) {
  if (!conversions_) return;
  // The helper usually answers at once: the add then ends as if it had waited for it.
  const auto until = std::chrono::steady_clock::now() + probe_wait_;
  while (conversions_->Probing() > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    conversions_->WaitForResult(static_cast<int>(left.count()));
    ConversionsArrived();
    AddRefusedProbes(context);
  }
}

void MainPresenter::TakeRefusedProbes() {
  std::vector<RefusedSource> refused = conversions_->TakeRefused();
  if (refused.empty()) return;
  std::unordered_map<std::string, RefusedSource> by_file;
  std::unordered_set<std::string> files;
  for (RefusedSource& file : refused) {
    files.insert(file.source);
    by_file[file.source] = std::move(file);
  }
  const std::vector<int> rows = conversions_->RowsNaming(state_.rows, state_.table, files);
  int listed_before = 0;
  for (const int row : rows) {
    listed_before += row < state_.ListedCount ? 1 : 0;
    // Added as many times as it was listed.
    const int32_t index = state_.rows.TableIndex(row);
    refused_probes_.push_back(by_file[std::string(FieldText(state_.table[index].FileName))]);
  }
  DeleteRows(state_.rows, state_.table, rows, state_.totals, ClusterSize());
  view_.RowsReset();
  state_.ListedCount -= listed_before;
  if (state_.table.CanAdd()) view_.SetCommandEnabled(Command::kAdd1, true);
  ShowOutputSummary(false);
}

void MainPresenter::AddRefusedProbes(AddContext& context) {
  AddContext plain = context;
  plain.add_converted = {};
  for (const RefusedSource& file : std::exchange(refused_probes_, {})) {
    // A file the system cannot read is told as the walk's read errors are.
    if (file.problem == ConvertProblem::kCannotRead) {
      view_.ShowInformation(file.reason + "\r\n" + file.source);
      continue;
    }
    const AddOutcome outcome = AddSongPath(plain, file.source);
    if (outcome == AddOutcome::kAdded) ShowAddedRows();
    if (outcome == AddOutcome::kStop) break;
  }
}

void MainPresenter::TellMissingHelper() {
  if (!unconvertible_.empty()) view_.ShowInformation(MissingHelperText(missing_helper_places_));
}

}  // namespace tarvello
