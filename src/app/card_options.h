#pragma once

// The options of the card checks that the settings file has no place for: verify after
// writing and how many backup folders to keep. They live in the extra settings file.

#include <string>

#include "common/extra_settings.h"
#include "app/option_form_values.h"
#include "platform/platform.h"

namespace tarvello {

inline constexpr int kMaxBackupsToKeep = 999;

class CardOptions {
 public:
  // Reads the extra settings file beside `ini_file_name`; defaults when it is unusable.
  void Load(FileSystem& files, const std::string& ini_file_name);
  // Writes the extra settings file, keeping the keys of others; false when it failed.
  bool Save(FileSystem& files) const;

  void ToForm(OptionFormValues& values) const;
  void FromForm(const OptionFormValues& values);

  bool verify() const { return settings_.GetBool(kCardSection, kVerifyKey, true); }
  // 0 keeps every backup folder.
  int backups_to_keep() const {
    return settings_.GetInt(kCardSection, kBackupsToKeepKey, 0, 0, kMaxBackupsToKeep);
  }
  const std::string& path() const { return path_; }

 private:
  static constexpr const char* kVerifyKey = "verify_after_write";
  static constexpr const char* kBackupsToKeepKey = "backups_to_keep";

  std::string path_;
  ExtraSettings settings_;
};

}  // namespace tarvello
