#include "app/version_info.h"

#include "version.h"

namespace tarvello {

VersionInfo ProgramVersionInfo() {
  return {kProductName, kProductVersion, kFileVersion, kLegalCopyright};
}

AboutTexts MakeAboutTexts(const std::string& application_title,
                          const std::optional<VersionInfo>& version) {
  AboutTexts texts{"About " + application_title, "Application Name", "Version 1.0.0.0",
                   "Copyright (C)", false};
  if (!version) return texts;
  texts.product_name = version->product_name;
  texts.version = "Version " + version->product_version + " (" + version->file_version + ")";
  texts.copyright = version->legal_copyright;
  texts.show_picture = true;
  return texts;
}

}  // namespace tarvello
