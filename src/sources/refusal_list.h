#pragma once

// The files an adding refused, gathered so that one box names them all with their
// reasons instead of one box per file.

#include <cstddef>
#include <string>
#include <vector>

namespace tarvello {

// One file that was not added: the adding's message ("追加できる曲情報ではありません."
// or "ファイルがオープンできません."), the path as the user gave it, and why, in
// Japanese (empty when nothing more is known).
struct RefusedFile {
  std::string message;
  std::string path;
  std::string reason;
};

// The box text for one refused file: the message, the path, and the reason on a line of
// its own.
std::string RefusedFileText(const RefusedFile& file);

class RefusalList {
 public:
  // How many files the box names; the rest are counted.
  static constexpr size_t kListedFiles = 20;

  void Add(RefusedFile file);
  bool Empty() const { return files_.empty(); }
  size_t Count() const { return files_.size(); }
  void Clear() { files_.clear(); }

  // One file: its own text. Several: a count line, then the first kListedFiles files with
  // their messages and reasons, then how many more there are.
  std::string BoxText() const;

 private:
  std::vector<RefusedFile> files_;
};

}  // namespace tarvello
