#include "cli/list_adding.h"

#include "common/common_routine.h"
#include "sources/track_list_file.h"

namespace tarvello::cli {

AddContext ListAdding::Context(FileSystem& files, Environment& environment) {
  return {files,
          temp_names,
          GetTempFolder(environment),
          table,
          staging,
          [this, &files](const std::string& list) {
            TrackListResult result = ReadTrackList(files, list, table, staging, track_id_list);
            messages.insert(messages.end(), result.messages.begin(), result.messages.end());
            return result.accepted;
          },
          [this](const std::string& text) { messages.push_back(text); }};
}

}  // namespace tarvello::cli
