#include "sources/playlist_text.h"

#include <unicode/ucnv.h>
#include <unicode/ucsdet.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "common/utf8.h"

namespace tarvello {
namespace {

// Detection looks at the start of the text only: enough to tell the charsets apart, and
// it keeps a 100 MB list linear.
constexpr size_t kDetectionBytes = 64 * 1024;

struct DetectorCloser {
  void operator()(UCharsetDetector* detector) const { ucsdet_close(detector); }
};

// ICU's name of the charset the text most likely is in; empty when it cannot tell.
std::string DetectCharset(std::string_view bytes) {
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<UCharsetDetector, DetectorCloser> detector(ucsdet_open(&status));
  if (U_FAILURE(status)) return {};
  const size_t length = std::min(bytes.size(), kDetectionBytes);
  ucsdet_setText(detector.get(), bytes.data(), static_cast<int32_t>(length), &status);
  const UCharsetMatch* match = ucsdet_detect(detector.get(), &status);
  if (U_FAILURE(status) || match == nullptr) return {};
  const char* name = ucsdet_getName(match, &status);
  if (U_FAILURE(status) || name == nullptr) return {};
  // Japanese playlists come from Windows, whose Shift_JIS is CP932 (NEC and IBM extensions).
  if (std::string_view(name) == "Shift_JIS") return "windows-31j";
  return name;
}

// The text converted from `charset` to UTF-8 into `out`; false when ICU does not know the
// charset. Bytes the charset cannot map become U+FFFD.
bool ConvertToUtf8(std::string_view bytes, const char* charset, std::string& out) {
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = ucnv_convert("UTF-8", charset, nullptr, 0, bytes.data(),
                                      static_cast<int32_t>(bytes.size()), &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
  out.assign(static_cast<size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_convert("UTF-8", charset, out.data(), needed, bytes.data(),
               static_cast<int32_t>(bytes.size()), &status);
  return U_SUCCESS(status) || status == U_STRING_NOT_TERMINATED_WARNING;
}

}  // namespace

std::string_view WithoutByteOrderMark(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return bytes;
}

std::string PlaylistTextToUtf8(std::string_view bytes, bool utf8_declared) {
  const bool had_mark = bytes.starts_with("\xEF\xBB\xBF");
  bytes = WithoutByteOrderMark(bytes);
  // ICU converts at most 2 GB at once; a playlist that size is not read.
  if (bytes.size() > static_cast<size_t>(INT32_MAX / 4)) return {};
  if (IsWellFormedUtf8(bytes)) return std::string(bytes);
  std::string out;
  if (utf8_declared || had_mark) {
    if (ConvertToUtf8(bytes, "UTF-8", out)) return out;
  }
  const std::string charset = DetectCharset(bytes);
  if (!charset.empty() && ConvertToUtf8(bytes, charset.c_str(), out)) return out;
  ConvertToUtf8(bytes, "ISO-8859-1", out);
  return out;
}

}  // namespace tarvello
