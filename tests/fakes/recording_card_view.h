#pragma once

// A CardSyncView that records what the presenter shows of cards and answers the content
// dialog and the choice boxes from a script (nullopt and false once the script runs out).

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/card_sync_view.h"

namespace tarvello::testing {

class RecordingCardView : public CardSyncView {
 public:
  bool content_enabled = false;
  std::string bar;  // as shown now; empty while hidden
  int bars_shown = 0;
  std::vector<CardProfileRequest> dialog_requests;
  std::deque<std::optional<CardProfileForm>> dialog_answers;
  std::vector<std::pair<std::string, std::string>> choices;  // text, accepting button
  std::deque<bool> choice_answers;
  bool active = true;
  std::vector<std::string> notifications;  // their bodies
  bool notifier_answers = true;            // a desktop that shows notifications

  void SetCardContentEnabled(bool enabled) override { content_enabled = enabled; }
  std::optional<CardProfileForm> ShowCardProfileDialog(const CardProfileRequest& request) override {
    dialog_requests.push_back(request);
    return Next(dialog_answers, std::optional<CardProfileForm>());
  }
  void ShowUpdateBar(const std::string& text, const std::string&) override {
    bar = text;
    ++bars_shown;
  }
  void HideUpdateBar() override { bar.clear(); }
  bool AskChoice(const std::string& text, const std::string& accept) override {
    choices.emplace_back(text, accept);
    return Next(choice_answers, false);
  }
  bool WindowActive() const override { return active; }
  bool Notify(const std::string&, const std::string& body) override {
    notifications.push_back(body);
    return notifier_answers;
  }

 private:
  template <typename T>
  static T Next(std::deque<T>& script, T otherwise) {
    if (script.empty()) return otherwise;
    T answer = std::move(script.front());
    script.pop_front();
    return answer;
  }
};

}  // namespace tarvello::testing
