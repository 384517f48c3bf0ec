#include "convert/helper_options.h"

#include <filesystem>

#include "platform/posix/posix_environment.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello {

std::string FindHelperProgram(Environment& environment, FileSystem& files) {
  const std::filesystem::path folder = std::filesystem::path(environment.ExecutablePath()).parent_path();
  // Beside the program in a build tree; in an installed tree moved as a whole (a DESTDIR),
  // the library-exec folder next to the program's folder; else where it was installed.
  for (const std::filesystem::path& candidate :
       {folder / kHelperProgramName,
        folder.parent_path() / TARVELLO_LIBEXEC_SUBDIR / kHelperProgramName}) {
    if (files.FileExists(candidate.string())) return candidate.string();
  }
  return std::string(TARVELLO_LIBEXEC_DIR) + "/" + kHelperProgramName;
}

std::string FindHelperProgram() {
  PosixEnvironment environment;
  PosixFileSystem files;
  return FindHelperProgram(environment, files);
}

}  // namespace tarvello
