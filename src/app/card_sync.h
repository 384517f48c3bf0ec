#pragma once

// The parts of the window that keep cards up to date, made together once the window can
// show the card dialog, the bar and notifications: the content dialog's editor, the fit
// offered by the output command, and the updates.

#include "app/card_profile_editor.h"
#include "app/card_updates.h"
#include "app/list_fit_offer.h"

namespace tarvello {

struct CardSync {
  CardSync(FileSystem& files, MainView& view, CardSyncView& card_view, const AppState& state,
           CardUpdateHooks hooks)
      : view(card_view),
        editor(files, view, card_view, state),
        fit(files, view, card_view),
        updates(files, view, card_view, state, std::move(hooks)) {}

  CardSyncView& view;
  CardProfileEditor editor;
  ListFitOffer fit;
  CardUpdates updates;  // last: its plan's thread ends before the rest goes
};

}  // namespace tarvello
