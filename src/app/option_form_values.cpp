#include "app/option_form_values.h"

#include <algorithm>
#include <string_view>

#include "common/cp932.h"
#include "output/output_folder_rule.h"
#include "output/output_options.h"

namespace tarvello {
namespace {

int ItemOrNone(int index, int count) {
  return index >= 0 && index < count ? index : kNoItem;
}

// True when `path` is `mount_point` or lies below it.
bool IsBelow(const std::string& path, const std::string& mount_point) {
  if (mount_point == "/") return !path.empty() && path.front() == '/';
  if (path.compare(0, mount_point.size(), mount_point) != 0) return false;
  return path.size() == mount_point.size() || path[mount_point.size()] == '/';
}

}  // namespace

OptionFormValues LoadOptionForm(const TOutputOptions& options) {
  OptionFormValues values;
  values.out_dir = Cp932ToUtf8(options.OutDir);
  values.prefix = Cp932ToUtf8(options.Prefix);
  values.ext = Cp932ToUtf8(options.Ext);
  values.title_format = ItemOrNone(options.TitleFormat, kTitleFormatCount);
  values.separator = ItemOrNone(options.Separator, static_cast<int>(kSeparators.size()));
  values.auto_import = options.AutoImport;
  values.backup = options.BackupBeforeOutput;
  return values;
}

std::string OptionFormRefusal(const OptionFormValues& values) {
  return OutDirHasDotParts(NormalizeOutDir(Utf8ToCp932(values.out_dir))) ? kOutDirDotParts
                                                                         : std::string();
}

void StoreOptionForm(const OptionFormValues& values, TOutputOptions& options) {
  const std::string out_dir = NormalizeOutDir(Utf8ToCp932(values.out_dir));
  if (!OutDirHasDotParts(out_dir)) options.OutDir = out_dir;
  options.Prefix = NamePartOf(Utf8ToCp932(values.prefix));
  options.Ext = NamePartOf(Utf8ToCp932(values.ext));
  options.TitleFormat = static_cast<uint8_t>(std::max(values.title_format, 0));
  options.Separator = static_cast<uint8_t>(std::max(values.separator, 0));
  options.AutoImport = values.auto_import;
  options.BackupBeforeOutput = values.backup;
}

std::string OutDirFromFolder(const std::string& folder,
                             const std::vector<std::string>& mount_points) {
  const std::string path = WithoutTrailingSlashes(folder);
  std::string volume = "/";
  for (const std::string& mount_point : mount_points) {
    if (mount_point.size() > volume.size() && IsBelow(path, mount_point)) volume = mount_point;
  }
  std::string rest = volume == "/" ? path : path.substr(volume.size());
  if (rest.empty() || rest.front() != '/') rest.insert(rest.begin(), '/');
  std::replace(rest.begin(), rest.end(), '/', '\\');
  return rest;
}

bool OutputFolderOptionsChanged(const std::string& old_out_dir, bool old_auto_import,
                                const TOutputOptions& options) {
  return options.OutDir != old_out_dir || options.AutoImport != old_auto_import;
}

}  // namespace tarvello
