// Sorting the list and the output summary in status panel 0.

#include "app/main_presenter.h"
#include "output/card_capacity.h"
#include "output/output_summary.h"

namespace tarvello {

void MainPresenter::SortRows(int code) {
  const auto cursor = view_.ShowWaitCursor();
  if (code == kSortForget) {
    state_.rows.SortRows(code);
  } else {
    // The view hears that the rows moved on every way out, so it never waits for it.
    struct Moving {
      MainView& view;
      ~Moving() { view.RowsMoved(); }
    };
    view_.RowsAboutToMove();
    const Moving moving{view_};
    state_.rows.SortRows(code);
  }
  view_.HeaderImagesChanged();
  // Waiting conversions follow the list's new order.
  if (code != kSortForget) PrioritizeConversions();
}

void MainPresenter::lvTrackInfoColumnClick(int column) {
  if (state_.rows.RowCount() > 1) RunCommand([&] { SortRows(column); });
}

void MainPresenter::UnOrder1Click() {
  RunCommand([&] { SortRows(kSortAdditionOrder); });
}

void MainPresenter::ShowOutputSummary(bool recount) {
  if (recount) {
    const RecountResult result = Recount(state_.rows, state_.table, platform_.files, ClusterSize());
    state_.totals = result.totals;
    if (!result.changed_rows.empty()) {
      view_.RowsChanged(result.changed_rows.front(), result.changed_rows.back());
    }
  }
  const std::string summary =
      SummaryText(state_.totals, state_.rows.RowCount(), state_.symbols) + ConversionStatusText();
  view_.SetStatusText(0, summary);
  AllowOutput(ExecuteAllowed(state_.totals, SelectedDrive()));
  const std::string tooltip =
      state_.DriveStatusText.empty() ? summary : state_.DriveStatusText + "\n" + summary;
  view_.SetCapacity(CapacityOf(SelectedDrive(), state_.totals), tooltip);
}

void MainPresenter::AllowOutput(bool allowed) {
  state_.OutputAllowed = allowed;
  view_.SetCommandEnabled(Command::kExecute1, allowed);
}

}  // namespace tarvello
