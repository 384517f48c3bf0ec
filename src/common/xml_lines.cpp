#include "common/xml_lines.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tarvello {
namespace {

constexpr size_t kHeaderBytes = 256;

// True when a CR stands anywhere but right before an LF; the bytes end with an LF.
bool HasStrayCr(const char* data, size_t size) {
  const char* end = data + size;
  const char* at = data;
  while ((at = static_cast<const char*>(std::memchr(at, '\r', static_cast<size_t>(end - at))))) {
    if (at[1] != '\n') return true;
    ++at;
  }
  return false;
}

// The byte of `prefix` to look for first: XML text is mostly lower-case letters, digits
// and markup, so an upper-case letter is rare; else the last byte.
size_t RareByteAt(std::string_view prefix) {
  const auto upper =
      std::find_if(prefix.begin(), prefix.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
  return upper != prefix.end() ? static_cast<size_t>(upper - prefix.begin()) : prefix.size() - 1;
}

// The first `prefix` in [from, end), or nullptr. memchr over the prefix's rare byte runs
// several times faster than memmem while that byte is rare; once it proves common, memmem
// searches the rest.
const char* FindPrefix(const char* from, const char* end, std::string_view prefix) {
  constexpr size_t kMissesAllowed = 64;
  constexpr size_t kBytesPerMiss = 32;
  if (prefix.empty()) return from;
  const size_t rare = RareByteAt(prefix);
  size_t misses = 0;
  for (const char* at = from + rare; at < end; ++at) {
    at = static_cast<const char*>(std::memchr(at, prefix[rare], static_cast<size_t>(end - at)));
    if (at == nullptr) break;
    const char* start = at - rare;
    if (static_cast<size_t>(end - start) < prefix.size()) break;
    // The last byte first: most misses share the prefix's start ("<key>Play Count").
    if (start[prefix.size() - 1] == prefix.back() &&
        std::memcmp(start, prefix.data(), prefix.size()) == 0) {
      return start;
    }
    if (++misses > kMissesAllowed && misses * kBytesPerMiss > static_cast<size_t>(at - from)) {
      return static_cast<const char*>(
          memmem(start + 1, static_cast<size_t>(end - start - 1), prefix.data(), prefix.size()));
    }
  }
  return nullptr;
}

}  // namespace

bool HasXmlDeclaration(ByteFile& file) {
  std::array<char, kHeaderBytes> header{};
  file.Seek(0);
  size_t filled = 0;
  while (filled < header.size()) {
    const size_t read = file.Read(header.data() + filled, header.size() - filled);
    if (read == 0) break;
    filled += read;
  }
  const std::string_view text(header.data(), strnlen(header.data(), header.size()));
  const size_t first = std::find_if_not(text.begin(), text.end(), IsSpaceOrControl) - text.begin();
  return text.substr(first).starts_with(kXmlDeclarationStart);
}

std::optional<std::string_view> TagValue(std::string_view line, std::string_view open,
                                         std::string_view close) {
  const size_t start = line.find(open);
  if (start == std::string_view::npos) return std::nullopt;
  const std::string_view rest = line.substr(start + open.size());
  const size_t stop = rest.find(close);
  if (stop == std::string_view::npos) return std::nullopt;
  return rest.substr(0, stop);
}

LineReader::LineReader(ByteFile& file, size_t block_size) : file_(file) {
  // A small file needs no full block; a line that outgrows the buffer grows it.
  const int64_t rest = std::max<int64_t>(file.Size() - file.Position(), 0);
  const size_t wanted =
      rest < static_cast<int64_t>(block_size) ? static_cast<size_t>(rest) + 1 : block_size;
  buffer_.resize(std::max<size_t>(wanted, kSmallestBuffer));
}

bool LineReader::Fill() {
  if (at_end_) return false;
  next_cr_ = std::string::npos;  // the bytes move and more come
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    scanned_ -= begin_;
    begin_ = 0;
  }
  // A line longer than the buffer: room for more of it.
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const size_t read = file_.Read(buffer_.data() + end_, buffer_.size() - end_);
  if (read == 0) {
    at_end_ = true;
    return false;
  }
  end_ += read;
  return true;
}

bool LineReader::HoldsCr(size_t from, size_t to) {
  if (next_cr_ == std::string::npos || next_cr_ < from) {
    const void* cr = std::memchr(buffer_.data() + from, '\r', end_ - from);
    next_cr_ = cr != nullptr ? static_cast<const char*>(cr) - buffer_.data() : end_;
  }
  return next_cr_ < to;
}

std::string_view LineReader::TakeLine(size_t begin, size_t end, size_t next) {
  begin_ = next;
  scanned_ = next;
  std::string_view line(buffer_.data() + begin, end - begin);
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (!HoldsCr(begin, begin + line.size())) return line;
  clean_.assign(line);
  clean_.erase(std::remove(clean_.begin(), clean_.end(), '\r'), clean_.end());
  return clean_;
}

bool LineReader::Next(std::string_view& line) {
  for (;;) {
    const char* data = buffer_.data();
    const void* lf = std::memchr(data + scanned_, '\n', end_ - scanned_);
    if (lf != nullptr) {
      const size_t at = static_cast<const char*>(lf) - data;
      line = TakeLine(begin_, at, at + 1);
      return true;
    }
    scanned_ = end_;
    if (!Fill()) break;
  }
  if (begin_ == end_) return false;
  // The last line has no line end.
  line = TakeLine(begin_, end_, end_);
  return true;
}

LineReader::Search LineReader::SearchWholeLines(std::string_view prefix, std::string_view& line) {
  const char* data = buffer_.data();
  const void* last_lf = memrchr(data + begin_, '\n', end_ - begin_);
  if (last_lf == nullptr) return Search::kNotFound;
  const size_t limit = static_cast<const char*>(last_lf) - data + 1;
  // A stray CR may join or split the prefix: such text is read line by line.
  if (HasStrayCr(data + begin_, limit - begin_)) return Search::kLineByLine;
  // The start of the line around the latest match and how far that line is known to be
  // blank are carried from match to match, so no byte is looked at twice however many
  // matches a line holds.
  size_t line_start = begin_;
  size_t lines_known_to = begin_;  // no LF in [line_start, lines_known_to)
  size_t blank_to = begin_;        // [line_start, blank_to) is blank
  size_t from = begin_;
  while (from < limit) {
    const char* hit = FindPrefix(data + from, data + limit, prefix);
    if (hit == nullptr) break;
    const size_t at = hit - data;
    const void* previous_lf = memrchr(data + lines_known_to, '\n', at - lines_known_to);
    if (previous_lf != nullptr) {
      line_start = static_cast<const char*>(previous_lf) - data + 1;
      blank_to = line_start;
    }
    lines_known_to = at;
    while (blank_to < at && IsSpaceOrControl(data[blank_to])) ++blank_to;
    if (blank_to == at) {
      const size_t lf = static_cast<const char*>(std::memchr(data + at, '\n', limit - at)) - data;
      line = TakeLine(line_start, lf, lf + 1);
      return Search::kFound;
    }
    from = at + 1;
  }
  begin_ = limit;
  scanned_ = limit;
  return Search::kNotFound;
}

bool LineReader::SkipTo(std::string_view prefix, std::string_view& line) {
  for (;;) {
    const Search search = SearchWholeLines(prefix, line);
    if (search == Search::kFound) return true;
    if (search == Search::kLineByLine || !Fill()) break;
  }
  while (Next(line)) {
    if (TrimLine(line).starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace tarvello
