#include "convert/helper_options.h"

#include <filesystem>

#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {

std::string FindHelperProgram(Environment& environment, FileSystem& files) {
  const std::filesystem::path program(environment.ExecutablePath());
  const std::string beside = (program.parent_path() / kHelperProgramName).string();
  if (files.FileExists(beside)) return beside;
  return std::string(TARVELLO_LIBEXEC_DIR) + "/" + kHelperProgramName;
}

std::string FindHelperProgram() {
  PosixEnvironment environment;
  PosixFileSystem files;
  return FindHelperProgram(environment, files);
}

}  // namespace tarvello
