#pragma once

// The options dialog's controls as values, and the rules between them and the output
// options: loading the controls, storing them on OK, taking a chosen folder, and whether
// a confirmed dialog needs the main window's follow-up steps.

#include <string>
#include <vector>

#include "app/settings.h"

namespace tarvello {

inline constexpr int kTitleFormatCount = 3;
inline constexpr int kNoItem = -1;

// UTF-8 texts; the item indexes are -1 when no item is selected.
struct OptionFormValues {
  std::string out_dir;
  std::string prefix;
  std::string ext;
  int title_format = 0;
  int separator = 0;
  bool auto_import = false;
  bool backup = false;
  bool verify = true;       // read the card back after writing
  int backups_to_keep = 0;  // newest backup folders kept after a run; 0 keeps all
  // The conversion page: kept in the conversion settings' own file, not in TOutputOptions.
  bool convert = true;
  int bit_rate_kbps = 128;

  bool operator==(const OptionFormValues&) const = default;
};

// The cache of converted songs as the conversion page shows it (UTF-8 texts).
struct CachePageFigures {
  std::string folder;
  std::string size_text;  // what it holds against its bound: "120 MB / 4.00 GB"
};

inline constexpr const char* kEmptyCacheQuestion =
    "変換した曲のキャッシュを空にしますか?\r\n一覧で使用中の曲は残ります.";

// What the conversion page asks of the cache while the dialog is open, on the UI thread.
class CachePageControl {
 public:
  virtual ~CachePageControl() = default;
  // A folder listing, no more: fit to be called when the page opens.
  virtual CachePageFigures Measure() = 0;
  // Empties the cache but for the songs in use; the text says what was done.
  virtual std::string Empty() = 0;
};

// What the dialog is opened with: its values, the mount points that a chosen folder is
// taken relative to, and the cache of converted songs (none: the page shows no cache).
struct OptionDialogRequest {
  OptionFormValues values;
  std::vector<std::string> mount_points;
  CachePageControl* cache = nullptr;
};

// The controls as the dialog starts: a stored index outside its list selects nothing.
OptionFormValues LoadOptionForm(const TOutputOptions& options);

// The message that keeps the dialog open when OK is pressed; empty when the values may be
// stored. A folder with "." or ".." parts would lead the output off the card.
std::string OptionFormRefusal(const OptionFormValues& values);

// OK: the folder text takes the OutDir rule (a folder that OptionFormRefusal refuses
// leaves OutDir as it was); prefix and extension are kept as typed, cut
// to the three bytes the settings file keeps; a list without a selection stores its
// first item.
void StoreOptionForm(const OptionFormValues& values, TOutputOptions& options);

// The folder text for a folder chosen in the folder chooser: its path below the mount
// point of the volume that holds it, in backslash form ("\" for the volume's root).
std::string OutDirFromFolder(const std::string& folder,
                             const std::vector<std::string>& mount_points);

// A confirmed dialog sets off the import and the output test only when the folder or the
// automatic import changed.
bool OutputFolderOptionsChanged(const std::string& old_out_dir, bool old_auto_import,
                                const TOutputOptions& options);

}  // namespace tarvello
