#include "sources/folder_adding.h"

#include <filesystem>

namespace tarvello {
namespace {

// Songs walked between looks at the clock; a folder is listed whole either way.
constexpr size_t kWalkSlice = 64;

}  // namespace

FolderAdding::FolderAdding(AddContext& context, const std::string& folder,
                           const TextCollator& natural)
    : context_(context), walk_(folder, natural) {}

void FolderAdding::Continue(Clock::time_point until) {
  while (!Ended() && !walk_.Finished()) {
    std::vector<std::string> found = walk_.NextSongs(kWalkSlice);
    songs_.insert(songs_.end(), std::make_move_iterator(found.begin()),
                  std::make_move_iterator(found.end()));
    if (Clock::now() >= until) return;
  }
  while (!Ended()) {
    const AddOutcome outcome = AddSongPath(context_, songs_[next_++]);
    if (outcome == AddOutcome::kAdded) ++added_;
    if (outcome == AddOutcome::kStop) stopped_ = true;
    if (Clock::now() >= until) return;
  }
}

std::string FolderAdding::CurrentFolder() const {
  if (Walking()) return walk_.Folder();
  if (next_ == 0 || songs_.empty()) return {};
  return std::filesystem::path(songs_[next_ - 1]).parent_path().string();
}

std::string FolderAddingLabel(const FolderAdding& adding) {
  const std::string folder = adding.CurrentFolder();
  const std::string file_name = std::filesystem::path(folder).filename().string();
  const std::string& name = file_name.empty() ? folder : file_name;
  const std::string counts =
      adding.Walking() ? "フォルダを読んでいます... " + std::to_string(adding.SongsFound()) + " 曲"
                       : "追加しています... " + std::to_string(adding.SongsHandled()) + " / " +
                             std::to_string(adding.SongsFound()) + " 曲";
  return name.empty() ? counts : counts + "  " + name;
}

std::string FolderAddingSummary(const FolderAdding& adding) {
  std::vector<std::string> lines;
  if (adding.Cancelled()) {
    lines.push_back("キャンセルしました. " + std::to_string(adding.SongsAdded()) +
                    " 曲を追加しました.");
  }
  if (adding.PassedOver() > 0) {
    lines.push_back(std::to_string(adding.PassedOver()) + " 個の音楽でないファイルを飛ばしました.");
  }
  const std::vector<std::string>& unreadable = adding.UnreadableFolders();
  if (unreadable.size() == 1) {
    lines.push_back("読めないフォルダがあります: " + unreadable.front());
  } else if (unreadable.size() > 1) {
    lines.push_back(std::to_string(unreadable.size()) +
                    " 個のフォルダが読めません: " + unreadable.front() + " ほか");
  }
  std::string summary;
  for (const std::string& line : lines) summary += (summary.empty() ? "" : " ") + line;
  return summary;
}

}  // namespace tarvello
