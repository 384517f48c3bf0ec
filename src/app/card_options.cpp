#include "app/card_options.h"

#include <algorithm>

namespace tarvello {

void CardOptions::Load(FileSystem& files, const std::string& ini_file_name) {
  path_ = ExtraSettingsFileName(ini_file_name);
  settings_ = LoadExtraSettings(files, path_);
}

bool CardOptions::Save(FileSystem& files) const {
  return UpdateExtraSettings(files, path_, [this](ExtraSettings& merged) {
    merged.SetBool(kCardSection, kVerifyKey, verify());
    merged.SetInt(kCardSection, kBackupsToKeepKey, backups_to_keep());
  });
}

void CardOptions::ToForm(OptionFormValues& values) const {
  values.verify = verify();
  values.backups_to_keep = backups_to_keep();
}

void CardOptions::FromForm(const OptionFormValues& values) {
  settings_.SetBool(kCardSection, kVerifyKey, values.verify);
  settings_.SetInt(kCardSection, kBackupsToKeepKey, std::clamp(values.backups_to_keep, 0, kMaxBackupsToKeep));
}

}  // namespace tarvello
