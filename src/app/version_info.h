#pragma once

// The program's name, version and copyright line, and the texts of the About box.

#include <optional>
#include <string>

namespace tarvello {

struct VersionInfo {
  std::string product_name;
  std::string product_version;
  std::string file_version;
  std::string legal_copyright;
};

// The version constants the build gives the program.
VersionInfo ProgramVersionInfo();

struct AboutTexts {
  std::string caption;
  std::string product_name;
  std::string version;
  std::string copyright;
  bool show_picture = false;
};

// The About box for `application_title`; without version information the labels keep
// their design texts and there is no picture.
AboutTexts MakeAboutTexts(const std::string& application_title,
                          const std::optional<VersionInfo>& version);

}  // namespace tarvello
