#include "sources/track_list_adding.h"

#include "sources/track_list_file.h"

namespace tarvello {

AddContext TrackListAddContext(const AddTarget& target, MessageSink report, MessageSink notice) {
  auto read_track_list = [target, notice = std::move(notice)](const std::string& path) {
    const TrackListResult result =
        ReadTrackList(target.files, path, target.table, target.staging, target.track_id_list);
    for (const std::string& message : result.messages) notice(message);
    return result.accepted;
  };
  return {target.files,   target.temp_names,          target.temp_folder, target.table,
          target.staging, std::move(read_track_list), std::move(report)};
}

}  // namespace tarvello
