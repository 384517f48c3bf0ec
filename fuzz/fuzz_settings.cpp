// Reads arbitrary bytes as a settings file, then checks that what was read survives a
// write and a second read.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "common/text_tools.h"
#include "output/output_folder_rule.h"

namespace {

// The file has no quoting: blanks at either end of a text are lost on the way, and the
// folder rule applies again when the folder is read back. Everything else must come
// back exactly.
tarvello::Settings AfterRoundTrip(tarvello::Settings settings) {
  tarvello::TOutputOptions& options = settings.options;
  options.Prefix = std::string(tarvello::Trim(options.Prefix, tarvello::IsSpaceOrControl));
  options.Ext = std::string(tarvello::Trim(options.Ext, tarvello::IsSpaceOrControl));
  options.OutDir = tarvello::NormalizeOutDir(tarvello::Trim(options.OutDir, tarvello::IsSpaceOrControl));
  return settings;
}

void Fail(const char* what) {
  std::fprintf(stderr, "settings round trip: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tarvello::Settings first;
  tarvello::ReadSettings(bytes, first);

  const std::string file = tarvello::WriteSettings(first);
  if (file.find('\x1A') != std::string::npos) Fail("end-of-file byte written");
  const bool has_drive = !first.out_drive.empty();
  size_t lines = 0;
  for (const char byte : file) lines += byte == '\n' ? 1 : 0;
  if (lines != (has_drive ? 33u : 32u)) Fail("wrong number of lines");

  tarvello::Settings second;
  tarvello::ReadSettings(file, second);
  if (!(second == AfterRoundTrip(first))) Fail("values changed");
  return 0;
}
