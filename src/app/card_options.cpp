#include "app/card_options.h"

#include <algorithm>

namespace tarvello {

void CardOptions::Load(FileSystem& files, const std::string& ini_file_name) {
  path_ = ExtraSettingsFileName(ini_file_name);
  settings_ = LoadExtraSettings(files, path_);
}

bool CardOptions::Save(FileSystem& files) const {
  // Read again first: another part of the program may have written its own keys since.
  ExtraSettings merged = LoadExtraSettings(files, path_);
  merged.SetBool(kVerifyKey, verify());
  merged.SetInt(kBackupsToKeepKey, backups_to_keep());
  return !path_.empty() && SaveExtraSettings(files, path_, merged);
}

void CardOptions::ToForm(OptionFormValues& values) const {
  values.verify = verify();
  values.backups_to_keep = backups_to_keep();
}

void CardOptions::FromForm(const OptionFormValues& values) {
  settings_.SetBool(kVerifyKey, values.verify);
  settings_.SetInt(kBackupsToKeepKey, std::clamp(values.backups_to_keep, 0, kMaxBackupsToKeep));
}

}  // namespace tarvello
