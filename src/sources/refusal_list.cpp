#include "sources/refusal_list.h"

#include <algorithm>
#include <utility>

namespace tarvello {

std::string RefusedFileText(const RefusedFile& file) {
  std::string text = file.message + "\r\n" + file.path;
  if (!file.reason.empty()) text += "\r\n" + file.reason;
  return text;
}

void RefusalList::Add(RefusedFile file) {
  files_.push_back(std::move(file));
}

std::string RefusalList::BoxText() const {
  if (files_.empty()) return "";
  if (files_.size() == 1) return RefusedFileText(files_.front());
  std::string text = std::to_string(files_.size()) + " 個のファイルを追加できませんでした.";
  const size_t listed = std::min(files_.size(), kListedFiles);
  for (size_t i = 0; i < listed; ++i) {
    const RefusedFile& file = files_[i];
    text += "\r\n\r\n" + file.path + "\r\n" + file.message;
    if (!file.reason.empty()) text += " (" + file.reason + ")";
  }
  if (files_.size() > listed) {
    text += "\r\n\r\nほかに " + std::to_string(files_.size() - listed) +
            " 個のファイルを追加できませんでした.";
  }
  return text;
}

}  // namespace tarvello
