#include "app/program_paths.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string_view>

#include "common/common_routine.h"
#include "common/extra_settings.h"
#include "version.h"

namespace tarvello {
namespace {

constexpr std::string_view kProgramFolder = "tarvello";
constexpr std::string_view kFallbackFileName = "tarvello";
constexpr std::string_view kIniExtension = ".INI";
constexpr std::string_view kLibraryPath = "/My Music/iTunes/iTunes Music Library.xml";

// The name with the extension from its last dot replaced; a name without a dot gets one.
std::string IniNameFor(std::string_view file_name) {
  if (file_name.empty()) file_name = kFallbackFileName;
  const size_t dot = file_name.rfind('.');
  std::string name(file_name.substr(0, dot));
  name += kIniExtension;
  return name;
}

// An XDG base folder: the variable when it holds an absolute path, else the default below
// the home folder. Relative values are ignored, as the XDG rules ask.
std::string XdgFolder(Environment& environment, const char* variable,
                      std::string_view home_default) {
  const std::string value = environment.GetVariable(variable).value_or("");
  if (!value.empty() && value.front() == '/') return WithoutTrailingSlashes(value);
  const std::string home = WithoutTrailingSlashes(environment.HomeDirectory());
  return (home == "/" ? "" : home) + std::string(home_default);
}

std::string ProgramFolderIn(const std::string& base) {
  return base + "/" + std::string(kProgramFolder) + "/";
}

// "yyyymmdd" of the local date.
std::string DateStamp(std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char text[40];  // room for any int the fields could hold
  std::snprintf(text, sizeof text, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

struct ExecutableLocation {
  std::string folder;  // ends with "/"; empty when unknown
  std::string file_name;
};

ExecutableLocation LocateExecutable(Environment& environment) {
  const std::filesystem::path path = environment.ExecutablePath();
  return {path.parent_path().empty() ? "" : std::filesystem::path(path).remove_filename().string(),
          path.filename().string()};
}

// An installed program never writes beside itself, even when it could (run as root).
bool IsInstalledLocation(const std::string& folder) {
  for (const std::string_view system : {"/usr/bin/", "/usr/local/bin/", "/bin/", "/usr/games/"}) {
    if (folder == system) return true;
  }
  return folder == std::string(kInstallBinDir) + "/";
}

}  // namespace

ProgramPaths MakeProgramPaths(Environment& environment, FileSystem& files) {
  const ExecutableLocation executable = LocateExecutable(environment);
  const bool beside_executable = !executable.folder.empty() &&
                                 !IsInstalledLocation(executable.folder) &&
                                 files.IsWritableDirectory(executable.folder);
  const std::string ini_folder =
      beside_executable ? executable.folder
                        : ProgramFolderIn(XdgFolder(environment, "XDG_CONFIG_HOME", "/.config"));
  const std::string data_folder =
      beside_executable ? executable.folder
                        : ProgramFolderIn(XdgFolder(environment, "XDG_DATA_HOME", "/.local/share"));

  ProgramPaths paths;
  paths.IniFileName = ini_folder + IniNameFor(executable.file_name);
  paths.BackupFolder = DayBackupFolder(data_folder + "Backup", environment.Now());
  paths.TempFolder = GetTempFolder(environment);
  paths.LibraryFileName =
      GetSpecialFolderPath(environment, files, kCsidlPersonal) + std::string(kLibraryPath);
  return paths;
}

std::string DayBackupFolder(const std::string& backups, std::time_t now) {
  return backups + "/" + DateStamp(now);
}

std::string WindowExtraSettingsFile(Environment& environment, FileSystem& files) {
  const std::filesystem::path own = MakeProgramPaths(environment, files).IniFileName;
  return ExtraSettingsFileName((own.parent_path() / IniNameFor(kFallbackFileName)).string());
}

bool EnsureIniFolder(FileSystem& files, const std::string& ini_file_name) {
  const std::string folder = std::filesystem::path(ini_file_name).parent_path().string();
  if (folder.empty() || folder == "/") return true;
  return files.DirectoryExists(folder) || files.CreateDirectories(folder);
}

}  // namespace tarvello
