#include "common/cp932.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <memory>
#include <stdexcept>

namespace tarvello {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// One converter per thread: opening one is far dearer than a conversion.
UConverter* Cp932Converter() {
  thread_local ConverterPtr converter = [] {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr opened(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status)) throw std::runtime_error("the CP932 converter is missing");
    ucnv_setSubstChars(opened.get(), "?", 1, &status);
    // The mappings Japanese Windows uses one way only (〜 to 81 60, ¥ to 5C, ...): without
    // them these common characters of library titles would become "?".
    ucnv_setFallback(opened.get(), true);
    return opened;
  }();
  ucnv_reset(converter.get());
  return converter.get();
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
  if (utf8.empty()) return {};
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
      icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  return Utf16ToCp932(std::u16string_view(text.getBuffer(), static_cast<size_t>(text.length())));
}

std::string Utf16ToCp932(std::u16string_view utf16) {
  if (utf16.empty()) return {};
  UConverter* converter = Cp932Converter();
  std::string out(utf16.size() * 2 + 1, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                         utf16.data(), static_cast<int32_t>(utf16.size()), &status);
  if (U_FAILURE(status)) throw std::runtime_error("CP932 conversion failed");
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (cp932.empty()) return {};
  UConverter* converter = Cp932Converter();
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString text(cp932.data(), static_cast<int32_t>(cp932.size()), converter, status);
  if (U_FAILURE(status)) throw std::runtime_error("CP932 conversion failed");
  std::string out;
  text.toUTF8String(out);
  return out;
}

}  // namespace tarvello
