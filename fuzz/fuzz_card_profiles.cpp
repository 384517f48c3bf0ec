// Reads arbitrary bytes as the extra settings file and takes every card profile it holds;
// each profile put into a fresh file and read back must be the same profile.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "common/extra_settings.h"
#include "sync/card_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tarvello::ExtraSettings settings = tarvello::ExtraSettings::Parse(bytes);
  for (const std::string& volume : tarvello::ProfileVolumes(settings)) {
    const std::optional<tarvello::CardProfile> profile = tarvello::ProfileOf(settings, volume);
    if (!profile) continue;
    tarvello::ExtraSettings fresh;
    if (!tarvello::PutProfile(fresh, *profile)) continue;  // not UTF-8 or a line break
    const tarvello::ExtraSettings again = tarvello::ExtraSettings::Parse(fresh.Write());
    if (tarvello::ProfileOf(again, volume) != profile) {
      std::fprintf(stderr, "card profile round trip changed the profile of %s\n", volume.c_str());
      std::abort();
    }
  }
  return 0;
}
