#pragma once

// A CardSyncView that records what the presenter shows of cards and answers the content
// dialog and the choice boxes from a script.

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
  // The bar as shown now; empty while hidden.
  std::string bar;
  std::string bar_details;
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
    if (dialog_answers.empty()) return std::nullopt;
    auto answer = dialog_answers.front();
    dialog_answers.pop_front();
    return answer;
  }
  void ShowUpdateBar(const std::string& text, const std::string& details) override {
    bar = text;
    bar_details = details;
    ++bars_shown;
  }
  void HideUpdateBar() override {
    bar.clear();
    bar_details.clear();
  }
  bool AskChoice(const std::string& text, const std::string& accept) override {
    choices.emplace_back(text, accept);
    if (choice_answers.empty()) return false;
    const bool answer = choice_answers.front();
    choice_answers.pop_front();
    return answer;
  }
  bool WindowActive() const override { return active; }
  bool Notify(const std::string&, const std::string& body) override {
    notifications.push_back(body);
    return notifier_answers;
  }
};

}  // namespace tarvello::testing
