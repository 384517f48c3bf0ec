#pragma once

// A MainView that records what the presenter tells it and answers boxes and the file
// dialog from a script.

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_view.h"
#include "fakes/recording_progress.h"

namespace tarvello::testing {

class RecordingView : public MainView {
 public:
  // What the window shows.
  std::string caption;
  WindowGeometry geometry;
  std::map<int, int> column_widths;
  std::string out_dir_label;
  std::map<int, std::string> status;
  std::map<Command, bool> enabled;
  int startup_timer = -1;
  bool accepts_drops = false;
  std::vector<DriveItem> drive_items;
  int drive_index = -1;
  bool playlist_enabled = false;
  int playlist_index = -1;
  std::vector<std::string> playlist_items;
  std::vector<int> playlist_widths;  // the widths the box reports; 10 per item when empty
  int scroll_bar_width = 17;
  int drop_down_width = -1;
  std::vector<int> focused_rows;
  std::vector<int> selected_rows;
  int row_notifications = 0;
  std::vector<std::pair<int, int>> changed_rows;  // each RowsChanged's first and last row
  std::vector<std::pair<int, int>> appended;      // the ranges of RowsAppended, in order
  int rows_moving = 0;                            // above 0 between RowsAboutToMove and RowsMoved
  int cursor_depth = 0;
  bool ignores_enabling = false;  // a window whose menu keeps its commands as they are
  int max_cursor_depth = 0;

  // Boxes shown, in order, and the scripted answers.
  std::vector<std::string> boxes;
  std::deque<bool> confirm_answers;
  std::deque<YesNoCancel> yes_no_cancel_answers;
  std::deque<std::optional<std::vector<std::string>>> file_choices;
  std::vector<OpenFileRequest> file_requests;
  std::deque<std::optional<std::string>> folder_choices;
  // Work handed over by CallSoon, from any thread; RunCalledSoon runs it.
  std::mutex called_soon_mutex;
  std::vector<std::function<void()>> called_soon;

  void SetCaption(const std::string& text) override { caption = text; }
  void PlaceWindow(const WindowGeometry& g) override { geometry = g; }
  void SetColumnWidth(int column, int width) override { column_widths[column] = width; }
  void SetOutDirLabel(const std::string& text) override { out_dir_label = text; }
  void SetStatusText(int panel, const std::string& text) override { status[panel] = text; }
  void SetCommandEnabled(Command command, bool on) override {
    if (!ignores_enabling) enabled[command] = on;
  }
  bool IsCommandEnabled(Command command) const {
    auto it = enabled.find(command);
    return it == enabled.end() || it->second;
  }
  void ArmStartupTimer(int milliseconds) override { startup_timer = milliseconds; }
  void AcceptDroppedFiles() override { accepts_drops = true; }
  void SetDriveItems(const std::vector<DriveItem>& items) override { drive_items = items; }
  void SetDriveIndex(int index) override { drive_index = index; }
  int DriveIndex() const override { return drive_index; }
  bool PlaylistBoxEnabled() const override { return playlist_enabled; }
  int PlaylistIndex() const override { return playlist_index; }
  void SetPlaylistIndex(int index) override { playlist_index = index; }
  void SetPlaylistItems(const std::vector<std::string>& names) override {
    playlist_items = names;
    playlist_index = -1;
  }
  void SetPlaylistBoxEnabled(bool on) override { playlist_enabled = on; }
  std::vector<int> PlaylistItemWidths() const override {
    if (!playlist_widths.empty()) return playlist_widths;
    return std::vector<int>(playlist_items.size(), 10);
  }
  int VerticalScrollBarWidth() const override { return scroll_bar_width; }
  void SetPlaylistDropDownWidth(int width) override { drop_down_width = width; }
  void RowsAppended(int first, int last) override {
    ++row_notifications;
    appended.emplace_back(first, last);
  }
  void RowsChanged(int first, int last) override {
    ++row_notifications;
    changed_rows.emplace_back(first, last);
  }
  void RowsReset() override { ++row_notifications; }
  void RowsAboutToMove() override { ++rows_moving; }
  void RowsMoved() override {
    --rows_moving;
    ++row_notifications;
  }
  void HeaderImagesChanged() override {}
  void FocusRow(int row) override { focused_rows.push_back(row); }
  std::vector<int> SelectedRows() const override { return selected_rows; }

  void ShowInformation(const std::string& text) override { boxes.push_back(text); }
  bool Confirm(const std::string& text) override {
    boxes.push_back(text);
    if (confirm_answers.empty()) return false;
    bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
  }
  YesNoCancel AskYesNoCancel(const std::string& text) override {
    boxes.push_back(text);
    if (yes_no_cancel_answers.empty()) return YesNoCancel::kCancel;
    const YesNoCancel answer = yes_no_cancel_answers.front();
    yes_no_cancel_answers.pop_front();
    return answer;
  }
  std::optional<std::vector<std::string>> ChooseFiles(const OpenFileRequest& request) override {
    file_requests.push_back(request);
    if (file_choices.empty()) return std::nullopt;
    auto choice = file_choices.front();
    file_choices.pop_front();
    return choice;
  }

  std::optional<std::string> ChooseFolder(const std::string&) override {
    if (folder_choices.empty()) return std::nullopt;
    auto choice = folder_choices.front();
    folder_choices.pop_front();
    return choice;
  }
  void CallSoon(std::function<void()> work) override {
    const std::lock_guard lock(called_soon_mutex);
    called_soon.push_back(std::move(work));
  }
  // Runs what CallSoon handed over so far, on the calling thread; how many ran.
  int RunCalledSoon() {
    std::vector<std::function<void()>> work;
    {
      const std::lock_guard lock(called_soon_mutex);
      work.swap(called_soon);
    }
    for (auto& call : work) call();
    return static_cast<int>(work.size());
  }

  void ShowPropertyDialog(const TrackProperties& shown) override {
    property_dialogs.push_back(shown);
    cursor_depth_at_dialog = cursor_depth;
  }
  std::optional<OptionFormValues> ShowOptionDialog(const OptionDialogRequest& request) override {
    option_requests.push_back(request);
    if (option_answers.empty()) return std::nullopt;
    auto answer = option_answers.front();
    option_answers.pop_front();
    return answer;
  }
  void SetCapacity(const CardCapacity& value, const std::string& text) override {
    capacity = value;
    capacity_tooltip = text;
  }
  std::optional<BackupChoice> ShowBackupDialog(const BackupDialogRequest& request) override {
    backup_requests.push_back(request);
    if (backup_answers.empty()) return std::nullopt;
    auto answer = backup_answers.front();
    backup_answers.pop_front();
    return answer;
  }
  void ShowAboutDialog(const std::optional<VersionInfo>& version) override {
    about_dialogs.push_back(version);
  }

  std::unique_ptr<CursorGuard> ShowWaitCursor() override { return std::make_unique<Guard>(*this); }
  void ProcessEvents() override {}
  void RunWithProgress(const std::function<void(OutputProgress&)>& work) override {
    ++progress_dialogs;
    progress.cursor_depth_seen = cursor_depth;
    work(progress);
  }

  // The dialogs of the properties, options and About commands, and the options' answers.
  std::vector<TrackProperties> property_dialogs;
  int cursor_depth_at_dialog = -1;
  std::vector<OptionDialogRequest> option_requests;
  std::deque<std::optional<OptionFormValues>> option_answers;
  std::vector<BackupDialogRequest> backup_requests;
  CardCapacity capacity;
  std::string capacity_tooltip;
  std::deque<std::optional<BackupChoice>> backup_answers;
  std::vector<std::optional<VersionInfo>> about_dialogs;

  // The progress dialog's recording, and how many dialogs were shown.
  RecordingProgress progress;
  int progress_dialogs = 0;

 private:
  class Guard : public CursorGuard {
   public:
    explicit Guard(RecordingView& view) : view_(view) {
      if (++view_.cursor_depth > view_.max_cursor_depth)
        view_.max_cursor_depth = view_.cursor_depth;
    }
    ~Guard() override { --view_.cursor_depth; }

   private:
    RecordingView& view_;
  };
};

}  // namespace tarvello::testing
