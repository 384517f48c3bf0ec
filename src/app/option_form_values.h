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

// What the dialog is opened with: its values, and the mount points that a chosen folder
// is taken relative to.
struct OptionDialogRequest {
  OptionFormValues values;
  std::vector<std::string> mount_points;
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
