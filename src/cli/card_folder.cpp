#include "cli/card_folder.h"

#include "cli/folder_volumes.h"
#include "common/number_format.h"
#include "output/drives.h"
#include "output/output_folder_rule.h"
#include "platform/posix/posix_file_system.h"

namespace tarvello::cli {

std::optional<std::string> CardFolderRefusal(const std::string& root, const std::string& out_dir) {
  FolderVolumes volumes;
  PosixFileSystem files;
  TDriveInfo drive{root, root};
  const std::string status =
      MeasureDrive(drive, volumes, files, out_dir, NumberSymbols::FromLocale());
  const OutputFolderBlock block = CheckOutputFolder(&drive, volumes, out_dir);
  if (block == OutputFolderBlock::kNone) return std::nullopt;
  if (block == OutputFolderBlock::kNoMedium) return status;
  return OutputFolderRefusalText(block, OutputFolderPath(root, out_dir));
}

}  // namespace tarvello::cli
