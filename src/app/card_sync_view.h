#pragma once

// What the card's updates ask of the main window beyond MainView: the card's content
// dialog, the bar above the list that offers an update, a box with a named choice, and
// the desktop's notification. The Qt window implements it; tests use a recording fake.

#include <optional>
#include <string>

#include "app/card_profile_form.h"

namespace tarvello {

class CardSyncView {
 public:
  virtual ~CardSyncView() = default;

  // ファイル → カードの内容…: offered while a card is chosen.
  virtual void SetCardContentEnabled(bool enabled) = 0;
  // The values confirmed with OK; nullopt for anything else.
  virtual std::optional<CardProfileForm> ShowCardProfileDialog(
      const CardProfileRequest& request) = 0;

  // The bar above the list with its update and not-now buttons; `details` is its tool-tip.
  virtual void ShowUpdateBar(const std::string& text, const std::string& details) = 0;
  virtual void HideUpdateBar() = 0;

  // A box with a button named `accept` and キャンセル; true for `accept`. Escape cancels.
  virtual bool AskChoice(const std::string& text, const std::string& accept) = 0;

  // True while one of the program's windows (the main window or a dialog of it) is the
  // one the user works in.
  virtual bool WindowActive() const = 0;
  // A desktop notification, for news the user would otherwise miss; false when the
  // desktop has no one to show it.
  virtual bool Notify(const std::string& summary, const std::string& body) = 0;
};

}  // namespace tarvello
