// Reads arbitrary bytes as what the helper program sends back. The helper decodes hostile
// media, so its replies are untrusted: every frame is taken apart without reading past the
// buffer, a message that is taken reads back the same after encoding, and the probe and
// status it carries are read without undefined behaviour.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/helper_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string buffer(reinterpret_cast<const char*>(data), size);
  tarvello::HelperMessage message;
  for (;;) {
    const size_t before = buffer.size();
    const tarvello::HelperFrame frame = tarvello::TakeHelperMessage(buffer, message);
    if (frame != tarvello::HelperFrame::kMessage) break;
    if (buffer.size() >= before) std::abort();  // a taken message must use up bytes
    std::string again = tarvello::EncodeHelperMessage(message);
    tarvello::HelperMessage decoded;
    if (tarvello::TakeHelperMessage(again, decoded) != tarvello::HelperFrame::kMessage ||
        !again.empty() || decoded.type != message.type || decoded.fields != message.fields) {
      std::abort();
    }
    (void)tarvello::ProbeFrom(message);
    (void)tarvello::StatusFrom(message);
  }
  return 0;
}
