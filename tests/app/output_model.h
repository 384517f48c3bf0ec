#pragma once

// A model-based random test of the output run on real folders. A seeded generator makes a
// sequence of user steps (adding songs under many spellings of their paths, marking,
// deleting, dragging, sorting, outputs with and without backup, cancels, a failing file
// operation, imports from the card); the presenter carries them out as the window would.
// After every step three things must hold:
//   (a) no song that the user wanted or that only the card held has vanished: each is
//       still on the card, in a backup or at its source;
//   (b) every management entry k that has a song file k titles that file's bytes;
//   (c) nothing outside the output folder and the backup folders changed;
//   (d) after an output that wrote every song, the folder holds byte for byte what a full
//       run of the same list writes: the management files, the numbered songs with their
//       stepped times, and nothing else, however the run got the songs there.
// Steps beyond the user's own stir what a run that moves rather than copies relies on:
// an outside copy of a card song is added, a card song is changed behind the program's
// back (with a new time, as any writer leaves it), the hash cache is damaged, and a read
// back from the card or a hard link fails during an output.
// Shared by the test program and the soak benchmark.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_presenter.h"
#include "app/option_form_values.h"
#include "catalogue/box_builder.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_view.h"
#include "output/card_names.h"
#include "output/management_files.h"
#include "output/output_messages.h"
#include "output/output_targets.h"

namespace tarvello::model {

using fakes::FileOp;

enum class StepKind {
  kAddOutside,
  kAddFromCard,
  kMark,
  kUnmark,
  kDelete,
  kDrag,
  kSort,
  kUnOrder,
  kOutput,
  kImport,
  kAddCardCopy,
  kTamper,
  kCorruptCache,
};

// One step; its numbers are read against the state at the time it runs, so any part of
// a sequence can be replayed on its own.
struct Step {
  StepKind kind = StepKind::kMark;
  uint32_t a = 0;
  uint32_t b = 0;
  uint32_t c = 0;
  uint32_t d = 0;
};

// How one world is set up: chosen once per seed.
struct WorldShape {
  bool root_output = false;          // OutDir "\": the card's root is the output folder
  bool root_trailing_slash = false;  // the volume's mount point is spelled with a "/" at its end
  bool auto_import = false;
  bool never_backup = false;  // a backup keeps every song, so some worlds must do without
};

std::string Describe(const Step& step);

inline const char* KindName(StepKind kind) {
  switch (kind) {
    case StepKind::kAddOutside:
      return "add-outside";
    case StepKind::kAddFromCard:
      return "add-from-card";
    case StepKind::kMark:
      return "mark";
    case StepKind::kUnmark:
      return "unmark";
    case StepKind::kDelete:
      return "delete";
    case StepKind::kDrag:
      return "drag";
    case StepKind::kSort:
      return "sort";
    case StepKind::kUnOrder:
      return "unorder";
    case StepKind::kOutput:
      return "output";
    case StepKind::kImport:
      return "import";
    case StepKind::kAddCardCopy:
      return "add-card-copy";
    case StepKind::kTamper:
      return "tamper";
    case StepKind::kCorruptCache:
      return "corrupt-cache";
  }
  return "?";
}

inline std::string Describe(const Step& step) {
  std::ostringstream out;
  out << KindName(step.kind) << "(" << step.a << "," << step.b << "," << step.c << "," << step.d
      << ")";
  return out.str();
}

inline constexpr int kOutsideSongs = 6;
inline constexpr int kCardSongs = 5;
inline constexpr int kMaxRows = 24;
inline constexpr int kSpellings = 7;
inline constexpr FileOp kInjectable[] = {FileOp::kCopy,
                                         FileOp::kMove,
                                         FileOp::kDelete,
                                         FileOp::kWrite,
                                         FileOp::kSetTime,
                                         FileOp::kSync,
                                         FileOp::kCreateDirectories,
                                         FileOp::kHash,
                                         FileOp::kLink};

inline std::vector<Step> GenerateSteps(std::mt19937& random, int count) {
  // Weights favour what stirs the card: adds, outputs and imports.
  const std::vector<std::pair<StepKind, int>> weights = {
      {StepKind::kAddOutside, 4},  {StepKind::kAddFromCard, 5}, {StepKind::kMark, 2},
      {StepKind::kUnmark, 2},      {StepKind::kDelete, 1},      {StepKind::kDrag, 2},
      {StepKind::kSort, 1},        {StepKind::kUnOrder, 1},     {StepKind::kOutput, 6},
      {StepKind::kImport, 2},      {StepKind::kAddCardCopy, 3}, {StepKind::kTamper, 1},
      {StepKind::kCorruptCache, 1}};
  std::vector<int> cumulative;
  int total = 0;
  for (const auto& [kind, weight] : weights) cumulative.push_back(total += weight);
  std::vector<Step> steps;
  for (int i = 0; i < count; ++i) {
    const int pick = static_cast<int>(random() % static_cast<uint32_t>(total));
    const size_t index = static_cast<size_t>(
        std::upper_bound(cumulative.begin(), cumulative.end(), pick) - cumulative.begin());
    steps.push_back({weights[index].first, static_cast<uint32_t>(random()),
                     static_cast<uint32_t>(random()), static_cast<uint32_t>(random()),
                     static_cast<uint32_t>(random())});
  }
  return steps;
}

inline WorldShape GenerateShape(std::mt19937& random) {
  WorldShape shape;
  shape.root_output = random() % 3 == 0;
  shape.root_trailing_slash = random() % 2 == 0;
  shape.auto_import = random() % 4 == 0;
  shape.never_backup = random() % 2 == 0;
  return shape;
}

using Snapshot = std::map<std::string, std::string>;  // path -> bytes

// One world: a folder of songs outside the card, a card with songs of its own, a
// symbolic link to the card, a presenter over it.
class World {
 public:
  explicit World(const WorldShape& shape) : shape_(shape) {
    char here[4096];
    if (::getcwd(here, sizeof here) != nullptr) old_cwd_ = here;
    card_ = world_.Path("card");
    out_folder_ = shape.root_output ? card_ : card_ + "/PRIVATE/AU/DF/D_SD";
    backup_root_ = program_.Path("Backup");
    MakeSongs();
    std::filesystem::create_directory_symlink(card_, world_.Path("link"));
    fakes::WriteFile(world_.Path("other/keep.txt"), "not a song");
    fakes::WriteFile(card_ + "/DCIM/photo.jpg", "a photo");
    // Relative spellings are taken against the world folder.
    if (::chdir(world_.path().c_str()) != 0) throw std::runtime_error("chdir failed");

    fake_.environment.executable_path = program_.Path("tarvello");
    fake_.environment.home = program_.path();
    fake_.environment.variables["TEMP"] = temp_.path();
    fake_.environment.variables["XDG_CACHE_HOME"] = program_.Path("cache");
    // The card has a lasting name, so its hashes are remembered between runs.
    fake_.files.volume_names[card_] = "CARD-1234";
    const std::string root = shape.root_trailing_slash ? card_ + "/" : card_;
    fake_.volumes.Add(root, "CARD", DriveType::kRemovable, {64 << 20, 32 << 20, 512, 8});
    fakes::WriteFile(program_.Path("tarvello.INI"),
                     "OUTDRV = " + root +
                         "\r\nOUTDIR = " + (shape.root_output ? "\\" : "\\PRIVATE\\AU\\DF\\D_SD") +
                         "\r\nAUTDST = " + (shape.auto_import ? "1" : "0") + "\r\nBACKUP = 1\r\n");
    presenter_ = std::make_unique<MainPresenter>(fake_.platform, view_, NumberSymbols{},
                                                 std::make_unique<ByteOrder>());
    presenter_->FormCreate({1024, 768});
    presenter_->Timer1Timer();
  }
  ~World() {
    presenter_.reset();
    if (!old_cwd_.empty()) (void)::chdir(old_cwd_.c_str());
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // Carries out one step; returns what broke, or nothing.
  std::optional<std::string> Apply(const Step& step) {
    Disturb(step);
    const Snapshot before = Take();
    const Wanted wanted = WantedSongs();
    bool backup = false;
    full_run_.reset();
    Run(step, backup);
    const Snapshot after = Take();
    if (std::getenv("TARVELLO_MODEL_TRACE") != nullptr) Trace(step, after);
    if (auto broken = CheckKept(step, before, after, wanted, backup)) return broken;
    if (auto broken = CheckTitles(after)) return broken;
    if (auto broken = CheckFullRun(after)) return broken;
    return CheckOutside(before, after);
  }

  int outputs_run = 0;
  int full_runs_checked = 0;  // outputs that rule (d) compared with a full run

 private:
  class ByteOrder : public TextCollator {
   public:
    int Compare(const std::string& a, const std::string& b) const override { return a.compare(b); }
  };

  void MakeSongs() {
    int media = 40;
    const auto song = [&](const std::string& title) {
      testing::SongLayout layout;
      layout.items = {testing::TextItem("\xA9nam", title), testing::TextItem("\xA9"
                                                                             "ART",
                                                                             "Model")};
      layout.media_bytes = static_cast<size_t>(media++);
      const std::string bytes = testing::BuildSong(layout);
      songs_.emplace(title, bytes);
      return bytes;
    };
    for (int i = 0; i < kOutsideSongs; ++i) {
      const std::string path = world_.Path("src/song_" + std::to_string(i) + ".m4a");
      fakes::WriteFile(path, song("Outside " + std::to_string(i)));
      outside_.push_back(path);
    }
    // The card as an earlier run left it: numbered songs and their management file.
    std::vector<std::string> titles;
    for (int i = 0; i < kCardSongs; ++i) {
      const std::string title = "Card " + std::to_string(i);
      fakes::WriteFile(SongPath(i), song(title));
      titles.push_back(title);
    }
    fakes::WriteFile(out_folder_ + "/" + ManagementFileName(0), ManagementFileBytes(0, titles));
  }

  std::string SongPath(int number) const {
    char name[32];
    std::snprintf(name, sizeof name, "/SDS_%.4d.3G2", number);
    return out_folder_ + name;
  }

  // `path` (absolute, inside the world folder) spelled the way `spelling` picks.
  std::string Spell(const std::string& path, uint32_t spelling) const {
    const std::string inside = path.substr(world_.path().size() + 1);
    switch (spelling % kSpellings) {
      case 1:
        return inside;
      case 2:
        return "./" + inside;
      case 3:
        return world_.path() + "//" + inside;
      case 4:
        if (inside.starts_with("card")) return world_.Path("link") + inside.substr(4);
        return world_.path() + "/./" + inside;
      case 5:
        return world_.path() + "/other/../" + inside;
      case 6:
        if (inside.starts_with("card/")) return card_ + "/" + inside.substr(4);
        return "./" + inside;
      default:
        return path;
    }
  }

  // The numbered songs of the output folder, in name order.
  std::vector<std::string> CardSongs() const {
    std::vector<std::string> songs;
    for (const std::string& name : fakes::FileNamesIn(out_folder_)) {
      if (name.find('/') == std::string::npos && !name.ends_with(".MGR")) {
        songs.push_back(out_folder_ + "/" + name);
      }
    }
    return songs;
  }

  const std::string* TitleOf(const std::string& bytes) const {
    for (const auto& [title, song] : songs_) {
      if (song == bytes) return &title;
    }
    return nullptr;
  }

  // What happens to the world behind the program's back, before the step's snapshot.
  void Disturb(const Step& step) {
    switch (step.kind) {
      case StepKind::kAddCardCopy: {
        const std::vector<std::string> songs = CardSongs();
        if (songs.empty()) return;
        const std::string copy = world_.Path("copies/copy_" + std::to_string(copies_++) + ".m4a");
        fakes::WriteFile(copy, fakes::ReadFile(songs[step.a % songs.size()]));
        return;
      }
      case StepKind::kTamper: {
        const std::vector<std::string> songs = CardSongs();
        if (songs.empty()) return;
        const std::string& path = songs[step.a % songs.size()];
        std::string bytes = fakes::ReadFile(path);
        const std::string* title = TitleOf(bytes);
        if (title == nullptr || bytes.empty()) return;
        // Same size, same title, other bytes at the end (the media data), a new time.
        bytes.back() = static_cast<char>(bytes.back() ^ (1 + step.b % 255));
        const std::string same_title = *title;
        fakes::WriteFile(path, bytes);
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() +
                                                   std::chrono::seconds(step.c % 100));
        if (TitleOf(bytes) == nullptr) songs_.emplace(same_title, bytes);
        changed_.insert(bytes);
        return;
      }
      case StepKind::kCorruptCache: {
        const std::string folder = program_.Path("cache/tarvello/hashes");
        if (!std::filesystem::exists(folder)) return;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
          std::string bytes = fakes::ReadFile(entry.path().string());
          if (bytes.empty()) continue;
          if (step.a % 3 == 0) bytes.resize(step.b % bytes.size());
          if (step.a % 3 == 1) bytes[step.b % bytes.size()] ^= static_cast<char>(1 + step.c % 255);
          if (step.a % 3 == 2) bytes = "not a cache\n";
          fakes::WriteFile(entry.path().string(), bytes);
        }
        return;
      }
      default:
        return;
    }
  }

  void Select(uint32_t seed) {
    std::mt19937 random(seed);
    const int rows = presenter_->Rows().RowCount();
    view_.selected_rows.clear();
    for (int row = 0; row < rows; ++row) {
      if (random() % 3 == 0) view_.selected_rows.push_back(row);
    }
    if (view_.selected_rows.empty() && rows > 0) {
      view_.selected_rows.push_back(static_cast<int>(random() % static_cast<uint32_t>(rows)));
    }
  }

  void Run(const Step& step, bool& backup) {
    const int rows = presenter_->Rows().RowCount();
    switch (step.kind) {
      case StepKind::kAddOutside:
        if (rows >= kMaxRows) return;
        presenter_->FilesDropped({Spell(outside_[step.a % outside_.size()], step.b)});
        return;
      case StepKind::kAddFromCard: {
        if (rows >= kMaxRows) return;
        const std::vector<std::string> songs = CardSongs();
        if (songs.empty()) return;
        presenter_->FilesDropped({Spell(songs[step.a % songs.size()], step.b)});
        return;
      }
      case StepKind::kAddCardCopy:
        if (rows >= kMaxRows || copies_ == 0) return;
        presenter_->FilesDropped(
            {Spell(world_.Path("copies/copy_" + std::to_string(copies_ - 1) + ".m4a"), step.b)});
        return;
      case StepKind::kTamper:
      case StepKind::kCorruptCache:
        return;
      case StepKind::kMark:
        Select(step.a);
        presenter_->Check1Click();
        return;
      case StepKind::kUnmark:
        Select(step.a);
        presenter_->Uncheck1Click();
        return;
      case StepKind::kDelete:
        Select(step.a);
        view_.confirm_answers = {true};
        presenter_->Delete1Click();
        view_.confirm_answers.clear();
        return;
      case StepKind::kDrag:
        if (rows == 0) return;
        Select(step.a);
        presenter_->lvTrackInfoDragDrop(
            view_.selected_rows, static_cast<int>(step.b % static_cast<uint32_t>(rows + 1)) - 1);
        return;
      case StepKind::kSort:
        presenter_->lvTrackInfoColumnClick(static_cast<int>(step.a % kListColumnCount));
        return;
      case StepKind::kUnOrder:
        presenter_->UnOrder1Click();
        return;
      case StepKind::kImport:
        view_.confirm_answers = {true};
        presenter_->Dest1Click();
        view_.confirm_answers.clear();
        return;
      case StepKind::kOutput:
        backup = !shape_.never_backup && step.a % 2 == 0;
        Output(backup, step);
        return;
    }
  }

  void Output(bool backup, const Step& step) {
    if (presenter_->State().settings.options.BackupBeforeOutput != backup) {
      OptionFormValues values = LoadOptionForm(presenter_->State().settings.options);
      values.backup = backup;
      view_.option_answers = {values};
      presenter_->Option1Click();
    }
    // A new progress dialog for every run; cancel at a random check, or not at all.
    view_.progress = testing::RecordingProgress{};
    if (step.b % 3 == 0) view_.progress.cancel_at_check = 1 + static_cast<int>(step.b / 3 % 40);
    // One failing file operation, or none.
    std::optional<FileOp> failing;
    if (step.c % 3 == 0) {
      failing = kInjectable[step.c / 3 % std::size(kInjectable)];
      fake_.files.FailAt(*failing, fake_.files.Calls(*failing) + 1 + static_cast<int>(step.d % 12));
    }
    const FullRun expected = ExpectFullRun();
    view_.confirm_answers = {true};
    presenter_->Execute1Click();
    view_.confirm_answers.clear();
    if (failing) fake_.files.FailAt(*failing, 0);
    ++outputs_run;
    // Only a run that wrote every song, and said nothing else, must equal a full run.
    if (view_.progress.messages == std::vector<std::string>{CompletionText(expected.songs)}) {
      full_run_ = expected;
    }
  }

  // What a full run of the list as it stands writes into the output folder.
  struct FullRun {
    int songs = 0;
    Snapshot files;                            // path -> bytes
    std::map<std::string, std::time_t> times;  // song path -> last-write time
  };

  FullRun ExpectFullRun() const {
    FullRun run;
    const TrackList& rows = presenter_->Rows();
    const TOutputOptions& options = presenter_->State().settings.options;
    const std::vector<std::string> titles = ManagementTitlesOf(rows, options);
    for (int number = 0; number < ManagementFileCount(static_cast<int32_t>(titles.size()));
         ++number) {
      run.files[out_folder_ + "/" + ManagementFileName(number)] =
          ManagementFileBytes(number, titles);
    }
    std::time_t time = fake_.environment.now;
    for (int row = 0; row < rows.RowCount(); ++row) {
      if (!IsOutputTarget(rows.Row(row))) continue;
      const TTrackInfo* record = RowRecord(rows, presenter_->State().table, row);
      const std::string path = SongPath(run.songs++);
      run.files[path] = record ? fakes::ReadFile(std::string(FieldText(record->FileName))) : "";
      run.times[path] = time;
      time -= 2;
    }
    return run;
  }

  // What a step did, for replaying a failure by hand.
  void Trace(const Step& step, const Snapshot& after) const {
    std::cerr << "== " << Describe(step) << "\n";
    for (const std::string& message : view_.progress.messages)
      std::cerr << "  box: " << message << "\n";
    const TrackList& rows = presenter_->Rows();
    for (int row = 0; row < rows.RowCount(); ++row) {
      std::cerr << "  row " << row << " icon " << rows.Row(row).icon << " " << rows.Row(row).caption
                << " " << rows.Row(row).sub_items[kSubFileName] << "\n";
    }
    for (const auto& [path, bytes] : after) {
      if (!InOutputFolder(path)) continue;
      std::string holds = std::to_string(bytes.size()) + " bytes";
      for (const auto& [title, song] : songs_) {
        if (song == bytes) holds = title;
      }
      std::cerr << "  file " << path.substr(out_folder_.size()) << ": " << holds << "\n";
    }
  }

  // Titles of the rows the user has marked for output (a row shown as missing was marked).
  // What the user wants kept: the titles of the marked rows (a row shown as missing was
  // marked), and the bytes their files hold, which tell a changed song from its original.
  struct Wanted {
    std::set<std::string> titles;
    std::set<std::string> bytes;
  };

  Wanted WantedSongs() const {
    Wanted wanted{WantedTitles(), {}};
    const TrackList& rows = presenter_->Rows();
    for (int row = 0; row < rows.RowCount(); ++row) {
      const TTrackInfo* record = RowRecord(rows, presenter_->State().table, row);
      if (rows.Row(row).icon != kIconUnmarked && record != nullptr) {
        wanted.bytes.insert(fakes::ReadFile(std::string(FieldText(record->FileName))));
      }
    }
    return wanted;
  }

  std::set<std::string> WantedTitles() const {
    std::set<std::string> titles;
    const TrackList& rows = presenter_->Rows();
    for (int row = 0; row < rows.RowCount(); ++row) {
      if (rows.Row(row).icon != kIconUnmarked) titles.insert(rows.Row(row).caption);
    }
    return titles;
  }

  // Every file of the world and of the backups by its path.
  Snapshot Take() const {
    Snapshot files = fakes::FolderContents(world_.path());
    Snapshot result;
    for (auto& [name, bytes] : files) result[world_.Path(name)] = std::move(bytes);
    for (auto& [name, bytes] : fakes::FolderContents(backup_root_)) {
      result[backup_root_ + "/" + name] = std::move(bytes);
    }
    return result;
  }

  bool InOutputFolder(const std::string& path) const {
    return std::filesystem::path(path).parent_path().string() == out_folder_;
  }

  static bool Holds(const Snapshot& files, const std::string& bytes) {
    return std::any_of(files.begin(), files.end(),
                       [&](const auto& file) { return file.second == bytes; });
  }

  std::optional<std::string> CheckKept(const Step& step, const Snapshot& before,
                                       const Snapshot& after, const Wanted& wanted,
                                       bool backup) const {
    for (const auto& [title, bytes] : songs_) {
      if (!Holds(before, bytes) || Holds(after, bytes)) continue;
      bool only_on_card = true;
      for (const auto& [path, held] : before) {
        if (held == bytes && !InOutputFolder(path)) only_on_card = false;
      }
      // A song changed behind the program's back shares its title with the original.
      const bool marked =
          changed_.contains(bytes) ? wanted.bytes.contains(bytes) : wanted.titles.contains(title);
      const bool may_go = step.kind == StepKind::kOutput && !backup && !marked;
      if (!may_go || !only_on_card) {
        return "(a) the song \"" + title + "\" vanished" +
               (marked ? " though it was marked for output" : "");
      }
    }
    return std::nullopt;
  }

  std::optional<std::string> CheckTitles(const Snapshot& after) const {
    for (int file = 0;; ++file) {
      const auto mgr = after.find(out_folder_ + "/" + ManagementFileName(file));
      if (mgr == after.end()) return std::nullopt;
      const std::optional<ManagementFile> parsed = ParseManagementFile(mgr->second);
      if (!parsed) return "(b) " + ManagementFileName(file) + " is not a management file";
      for (const ManagementEntry& entry : parsed->entries) {
        if (!entry.used) continue;
        const auto song = after.find(SongPath(static_cast<int>(entry.number)));
        if (song == after.end()) continue;
        const std::string* titled = TitleOf(song->second);
        if (titled == nullptr || *titled != entry.title) {
          std::string holds = "unknown bytes";
          for (const auto& [title, bytes] : songs_) {
            if (bytes == song->second) holds = "\"" + title + "\"";
          }
          return "(b) entry " + std::to_string(entry.number) + " titles \"" + entry.title +
                 "\" but its song file holds " + holds;
        }
      }
    }
  }

  std::optional<std::string> CheckFullRun(const Snapshot& after) {
    if (!full_run_) return std::nullopt;
    ++full_runs_checked;
    Snapshot folder;
    for (const auto& [path, bytes] : after) {
      if (InOutputFolder(path)) folder[path] = bytes;
    }
    for (const auto& [path, bytes] : full_run_->files) {
      const auto found = folder.find(path);
      if (found == folder.end()) return "(d) " + path + " that a full run writes is missing";
      if (found->second != bytes) return "(d) " + path + " differs from what a full run writes";
    }
    for (const auto& [path, bytes] : folder) {
      if (!full_run_->files.contains(path))
        return "(d) " + path + " is more than a full run writes";
    }
    for (const auto& [path, time] : full_run_->times) {
      struct stat info {};
      if (::stat(path.c_str(), &info) != 0 || info.st_mtime != time)
        return "(d) " + path + " has another time than a full run gives it";
    }
    return std::nullopt;
  }

  std::optional<std::string> CheckOutside(const Snapshot& before, const Snapshot& after) const {
    const auto outside = [&](const Snapshot& files) {
      Snapshot kept;
      for (const auto& [path, bytes] : files) {
        if (!InOutputFolder(path) && !path.starts_with(backup_root_ + "/")) kept[path] = bytes;
      }
      return kept;
    };
    const Snapshot was = outside(before);
    const Snapshot now = outside(after);
    if (was == now) return std::nullopt;
    for (const auto& [path, bytes] : was) {
      const auto found = now.find(path);
      if (found == now.end()) return "(c) " + path + " outside the output folder vanished";
      if (found->second != bytes) return "(c) " + path + " outside the output folder changed";
    }
    for (const auto& [path, bytes] : now) {
      if (!was.contains(path)) return "(c) " + path + " appeared outside the output folder";
    }
    return std::nullopt;
  }

  WorldShape shape_;
  fakes::TempDir world_;
  fakes::TempDir program_;
  fakes::TempDir temp_;
  std::string old_cwd_;
  std::string card_;
  std::string out_folder_;
  std::string backup_root_;
  std::vector<std::string> outside_;
  // title -> bytes; a song changed behind the program's back keeps its title
  std::multimap<std::string, std::string> songs_;
  std::set<std::string> changed_;    // bytes of songs changed behind the program's back
  int copies_ = 0;                   // outside copies of card songs made so far
  std::optional<FullRun> full_run_;  // what the last output step must have left
  fakes::FakePlatform fake_;
  testing::RecordingView view_;
  std::unique_ptr<MainPresenter> presenter_;
};

// The first step of `steps` that breaks a rule, and what broke.
struct Breach {
  size_t step = 0;
  std::string what;
};

// How often a sequence reached the run, and rule (d).
struct Reached {
  int outputs = 0;
  int full_runs = 0;
};

inline std::optional<Breach> RunSteps(const WorldShape& shape, const std::vector<Step>& steps,
                                      Reached* reached = nullptr) {
  World world(shape);
  for (size_t i = 0; i < steps.size(); ++i) {
    if (auto broken = world.Apply(steps[i])) return Breach{i, *broken};
  }
  if (reached != nullptr) {
    reached->outputs += world.outputs_run;
    reached->full_runs += world.full_runs_checked;
  }
  return std::nullopt;
}

// The steps up to the breach, with every step left out that is not needed to break a
// rule again (one pass of leaving out single steps, repeated while it shortens).
inline std::vector<Step> Shrink(const WorldShape& shape, std::vector<Step> steps,
                                const Breach& breach) {
  steps.resize(breach.step + 1);
  for (bool shorter = true; shorter;) {
    shorter = false;
    for (size_t i = steps.size(); i-- > 0;) {
      std::vector<Step> fewer = steps;
      fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
      if (fewer.empty()) continue;
      // The shorter sequence must break the same rule, not merely some rule.
      auto again = RunSteps(shape, fewer);
      if (again && again->what.substr(0, 3) == breach.what.substr(0, 3)) {
        fewer.resize(again->step + 1);
        steps = std::move(fewer);
        shorter = true;
      }
    }
  }
  return steps;
}

// Runs one seed; returns a report of the breach with the shortest sequence found, or
// nothing when every rule held.
inline std::optional<std::string> CheckSeed(uint32_t seed, int step_count,
                                            Reached* reached = nullptr) {
  std::mt19937 random(seed);
  const WorldShape shape = GenerateShape(random);
  const std::vector<Step> steps = GenerateSteps(random, step_count);
  const std::optional<Breach> breach = RunSteps(shape, steps, reached);
  if (!breach) return std::nullopt;
  std::ostringstream report;
  report << "seed " << seed << ": step " << breach->step + 1 << " of " << steps.size() << " broke "
         << breach->what << "\nworld: root output " << shape.root_output << ", trailing slash "
         << shape.root_trailing_slash << ", auto import " << shape.auto_import << ", never backup "
         << shape.never_backup;
  if (std::getenv("TARVELLO_MODEL_TRACE") != nullptr) return report.str();
  const std::vector<Step> shortest = Shrink(shape, steps, *breach);
  const std::optional<Breach> again = RunSteps(shape, shortest);
  report << "\nshortest sequence (" << shortest.size() << " steps) breaks "
         << (again ? again->what : std::string("nothing on replay")) << ":";
  for (const Step& step : shortest) report << "\n  " << Describe(step);
  return report.str();
}

}  // namespace tarvello::model
