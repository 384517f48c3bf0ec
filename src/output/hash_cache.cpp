#include "output/hash_cache.h"

#include <charconv>
#include <vector>

namespace tarvello {
namespace {

// The number changes with what a record means (the sample's size among it): a file of
// another number is ignored whole, so no record is trusted against another rule.
constexpr std::string_view kHeader = "tarvello hashes 2\n";
constexpr std::string_view kEnd = "end ";

std::optional<int64_t> ParseNumber(std::string_view text) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, value);
  if (text.empty() || parsed.ec != std::errc() || parsed.ptr != end) return std::nullopt;
  return value;
}

// Splits off the text up to the next blank.
std::string_view TakeField(std::string_view& line) {
  const size_t blank = line.find(' ');
  const std::string_view field = line.substr(0, blank);
  line.remove_prefix(blank == std::string_view::npos ? line.size() : blank + 1);
  return field;
}

}  // namespace

void HashCache::Load(FileSystem& files, const std::string& path) {
  entries_.clear();
  std::optional<std::string> text;
  try {
    text = files.ReadWholeFile(path);
  } catch (const FileError&) {
    // Unreadable: as good as absent.
  }
  if (text && !Parse(*text)) entries_.clear();
}

bool HashCache::Parse(std::string_view text) {
  const size_t last_line = text.rfind('\n', text.size() >= 2 ? text.size() - 2 : 0);
  if (!text.starts_with(kHeader) || !text.ends_with('\n') || last_line == std::string_view::npos) {
    return false;
  }
  const std::string_view body = text.substr(0, last_line + 1);
  std::string_view end = text.substr(last_line + 1);
  end.remove_suffix(1);
  if (!end.starts_with(kEnd) || ParseHashText(end.substr(kEnd.size())) != HashBytes(body)) {
    return false;
  }
  std::string_view lines = body.substr(kHeader.size());
  while (!lines.empty()) {
    const size_t newline = lines.find('\n');
    std::string_view line = lines.substr(0, newline);
    lines.remove_prefix(newline + 1);
    const auto hash = ParseHashText(TakeField(line));
    const auto sample = ParseHashText(TakeField(line));
    const auto size = ParseNumber(TakeField(line));
    const auto time = ParseNumber(TakeField(line));
    if (!hash || !sample || !size || !time || line.empty()) return false;
    entries_[std::string(line)] = {*time, {*hash, {*size, *sample}}, false};
  }
  return true;
}

bool HashCache::Save(FileSystem& files, const std::string& path, size_t limit) const {
  std::string text(kHeader);
  size_t kept = 0;
  // Records of this run first, then older ones while there is room.
  for (const bool used : {true, false}) {
    for (const auto& [key, entry] : entries_) {
      if (entry.used != used || kept >= limit) continue;
      text += HashText(entry.record.hash) + " " + HashText(entry.record.sample.hash) + " " +
              std::to_string(entry.record.sample.size) + " " + std::to_string(entry.time_ns) + " " +
              key + "\n";
      ++kept;
    }
  }
  text += std::string(kEnd) + HashText(HashBytes(text)) + "\n";
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) files.CreateDirectories(path.substr(0, slash));
  const std::string fresh = path + ".new";
  if (!files.WriteWholeFile(fresh, text)) return false;
  if (files.ReplaceFile(fresh, path)) return true;
  files.DeleteFile(fresh);
  return false;
}

std::optional<ContentRecord> HashCache::Find(const std::string& key, const FileStatus& status) {
  const auto found = entries_.find(key);
  if (found == entries_.end() || found->second.time_ns != status.write_time_ns ||
      found->second.record.sample.size != status.size) {
    return std::nullopt;
  }
  found->second.used = true;
  return found->second.record;
}

void HashCache::Put(const std::string& key, const FileStatus& status, const ContentRecord& record) {
  // A line break in a name would break the file's lines; such a file is simply not kept.
  if (key.empty() || key.find('\n') != std::string::npos || record.sample.size != status.size) {
    return;
  }
  entries_[key] = {status.write_time_ns, record, true};
}

void HashCache::ErasePrefix(const std::string& prefix) {
  auto it = entries_.lower_bound(prefix);
  while (it != entries_.end() && it->first.starts_with(prefix)) it = entries_.erase(it);
}

}  // namespace tarvello
