#pragma once

// Small file and folder routines that several parts of the program share.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarvello {

// The temporary folder (TEMP, else TMPDIR, else /tmp), always ending with "/".
std::string GetTempFolder(Environment& environment);

// Shell special folders the program asks for.
inline constexpr int kCsidlPersonal = 5;  // the user's documents
// The path of a special folder; empty when the number names no known folder.
std::string GetSpecialFolderPath(Environment& environment, FileSystem& files, int csidl);

// The listable volumes, in mount-point order.
std::vector<VolumeEntry> GetDriveLetters(Volumes& volumes);

// The program-wide counter of temporary names: starts at 0, only grows.
class TempNameCounter {
 public:
  int32_t Next() { return value_++; }
  int32_t value() const { return value_; }

 private:
  int32_t value_ = 0;
};

// folder + "~" + prefix + "%.5d" + "." + extension, the first such name that does
// not exist; every candidate consumes one number.
std::string MakeTempFileName(FileSystem& files, TempNameCounter& counter,
                             const std::string& folder, const std::string& prefix,
                             const std::string& extension);

// The path to read `path` from: the path itself, a fresh temporary copy when the file
// cannot be opened (and copying is allowed), or empty when neither works. The copy is a
// new file of the owner's only; a name found taken when creating it is passed over.
std::string GetReadablePath(FileSystem& files, TempNameCounter& counter, const std::string& path,
                            bool copy_allowed, const std::string& folder,
                            const std::string& prefix, const std::string& extension);

// Prefix and extension of the temporary copies of input files.
inline constexpr const char* kCopyPrefix = "VARKELIN";
inline constexpr const char* kCopyExtension = "TMP";

}  // namespace tarvello
