// Builds management titles and files from arbitrary bytes and reads arbitrary bytes as a
// management file: a title never passes 40 bytes or ends in half a character, and every
// file written reads back with the texts it was given.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/cp932.h"
#include "output/management_files.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "management files: %s\n", what);
  std::abort();
}

// True when `text` ends on a character boundary.
bool EndsOnWholeCharacter(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) at += tarvello::IsCp932LeadByte(static_cast<uint8_t>(text[at])) ? 2 : 1;
  return at == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto file = tarvello::ParseManagementFile(bytes)) {
    for (const auto& entry : file->entries) {
      if (entry.title.size() > tarvello::kManagementTitleBytes) Fail("title read past its field");
    }
  }
  if (size < 2) return 0;

  tarvello::TOutputOptions options;
  options.TitleFormat = data[0];
  options.Separator = data[1];
  const std::string_view rest = bytes.substr(2);
  const size_t split = rest.find('\0');
  const std::string_view title = rest.substr(0, split);
  const std::string_view artist = split == std::string_view::npos ? "" : rest.substr(split + 1);

  const std::string text = tarvello::ManagementTitle(title, artist, options);
  if (text.size() > tarvello::kManagementTitleBytes) Fail("title longer than 40 bytes");
  if (!EndsOnWholeCharacter(text)) Fail("title ends in half a character");

  const std::vector<std::string> titles = {text};
  const auto read = tarvello::ParseManagementFile(tarvello::ManagementFileBytes(0, titles));
  if (!read || read->entries[0].title != text || !read->entries[0].used) Fail("no round trip");
  return 0;
}
