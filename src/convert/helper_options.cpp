#include "convert/helper_options.h"

#include <filesystem>

#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {

std::vector<std::string> HelperProgramPlaces(Environment& environment) {
  const std::filesystem::path folder =
      std::filesystem::path(environment.ExecutablePath()).parent_path();
  return {(folder / kHelperProgramName).string(),
          (folder.parent_path() / TARVELLO_LIBEXEC_SUBDIR / kHelperProgramName).string(),
          std::string(TARVELLO_LIBEXEC_DIR) + "/" + kHelperProgramName};
}

std::string FindHelperProgram(Environment& environment, FileSystem& files) {
  const std::vector<std::string> places = HelperProgramPlaces(environment);
  for (const std::string& place : places) {
    if (files.FileExists(place)) return place;
  }
  return places.back();
}

std::vector<std::string> HelperProgramPlaces() {
  PosixEnvironment environment;
  return HelperProgramPlaces(environment);
}

std::string FindHelperProgram() {
  PosixEnvironment environment;
  PosixFileSystem files;
  return FindHelperProgram(environment, files);
}

}  // namespace tarvello
