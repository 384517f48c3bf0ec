#include "cli/list_adding.h"

#include "common/common_routine.h"
#include "sources/track_list_adding.h"

namespace tarvello::cli {

AddContext ListAdding::Context(FileSystem& files, Environment& environment) {
  const auto keep = [this](const std::string& text) { messages.push_back(text); };
  return TrackListAddContext(
      {files, temp_names, GetTempFolder(environment), table, staging, track_id_list}, keep, keep);
}

}  // namespace tarvello::cli
