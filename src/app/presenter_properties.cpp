// The properties command: the song's file is read again into its slot, its row is
// refreshed, and the dialog shows the record.

#include "app/main_presenter.h"
#include "catalogue/m4a_reader.h"
#include "catalogue/track_properties.h"
#include "common/common_routine.h"

namespace tarvello {

namespace {

// Deletes the temporary copy a song was read from, however the reading ends.
class CopyRemover {
 public:
  CopyRemover(FileSystem& files, const std::string& readable, const std::string& path)
      : files_(files), copy_(readable != path ? readable : std::string()) {}
  ~CopyRemover() {
    if (!copy_.empty()) files_.DeleteFile(copy_);
  }
  CopyRemover(const CopyRemover&) = delete;
  CopyRemover& operator=(const CopyRemover&) = delete;

 private:
  FileSystem& files_;
  std::string copy_;
};

}  // namespace

void MainPresenter::Property1Click() {
  RunCommand([&] { ShowTrackProperties(); });
}

void MainPresenter::ShowTrackProperties() {
  TrackProperties properties;
  {
    const auto cursor = view_.ShowWaitCursor();
    const std::vector<int> selected = view_.SelectedRows();
    if (selected.size() != 1) {
      view_.SetCommandEnabled(Command::kProperty1, false);
      view_.SetCommandEnabled(Command::kProperty2, false);
      return;
    }
    const int row = selected.front();
    const int32_t index = state_.rows.TableIndex(row);
    if (index < 0 || index >= state_.table.TrackCount()) return;
    state_.CurrentTrackIndex = index;
    // A song still being made has only its source's estimate; an ALAC source read again
    // would overwrite it with values the card will never see.
    std::optional<TagTexts> source_texts;
    if (!state_.rows.Row(row).conversion.Estimated()) source_texts = RereadTrack(row);
    properties =
        PropertyTexts(state_.table[index], state_.symbols, source_texts ? &*source_texts : nullptr);
    // A converted song shows the user's file, and says what it was made from.
    if (conversions_) {
      if (const auto source = conversions_->SourceOf(properties.file_name)) {
        properties.converted_from = *source;
        properties.file_name = *source;
      }
    }
  }
  view_.ShowPropertyDialog(properties);
}

// A missing, unreadable or no longer valid file leaves the record and the row as they
// were; the dialog then shows what was stored before. A file read gives its text tags as
// it holds them.
std::optional<TagTexts> MainPresenter::RereadTrack(int row) {
  const int32_t index = state_.CurrentTrackIndex;
  const std::string path(FieldText(state_.table[index].FileName));
  const std::string readable = GetReadablePath(platform_.files, state_.temp_names, path, true,
                                               state_.TempFolder, kCopyPrefix, kCopyExtension);
  if (readable.empty()) return std::nullopt;
  const CopyRemover remover(platform_.files, readable, path);
  M4aResult result = M4aResult::kRejected;
  TagTexts source_texts;
  try {
    result = ReadM4aTrack(platform_.files, state_.table, state_.StagingTrack, readable, path, index,
                          nullptr, &source_texts);
  } catch (const FileError&) {
    return std::nullopt;
  }
  if (result != M4aResult::kStored) return std::nullopt;
  state_.rows.BuildRows(row, row, state_.table, state_.totals, ClusterSize());
  ShowSourceName(row);
  view_.RowsChanged(row, row);
  return source_texts;
}

}  // namespace tarvello
