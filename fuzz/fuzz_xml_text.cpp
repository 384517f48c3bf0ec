// Entity references, file URLs and integer texts over arbitrary bytes: neither decoder
// ever makes its text longer, and a text without "&" or a URL of another scheme comes
// back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/xml_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string decoded = tarvello::DecodeXmlEntities(text);
  if (decoded.size() > text.size()) std::abort();
  if (text.find('&') == std::string_view::npos && decoded != text) std::abort();

  const std::string path = tarvello::FileUrlToPath(text);
  if (path.size() > text.size()) std::abort();
  if (!text.starts_with("file://") && path != text) std::abort();

  (void)tarvello::IntegerValue(text);
  (void)tarvello::Integer64Value(text);
  return 0;
}
