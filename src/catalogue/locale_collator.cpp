#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/track_list.h"

namespace tarvello {
namespace {

int ByteOrder(const std::string& a, const std::string& b) {
  const int result = a.compare(b);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

class IcuCollator : public TextCollator {
 public:
  explicit IcuCollator(std::unique_ptr<icu::Collator> collator) : collator_(std::move(collator)) {}

  int Compare(const std::string& a, const std::string& b) const override {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        collator_->compareUTF8(icu::StringPiece(a), icu::StringPiece(b), status);
    if (U_FAILURE(status)) return ByteOrder(a, b);
    return static_cast<int>(result);
  }

  std::optional<std::string> CollationKey(const std::string& text) const override {
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text));
    std::string key(64, '\0');
    int32_t length = collator_->getSortKey(unicode, reinterpret_cast<uint8_t*>(key.data()),
                                           static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
      key.resize(length);
      length = collator_->getSortKey(unicode, reinterpret_cast<uint8_t*>(key.data()), length);
    }
    if (length <= 0) return std::nullopt;
    key.resize(length - 1);  // the key ends with a zero byte
    return key;
  }

 private:
  std::unique_ptr<icu::Collator> collator_;
};

// Used only when ICU has no collation data at all: byte order.
class ByteCollator : public TextCollator {
 public:
  int Compare(const std::string& a, const std::string& b) const override { return ByteOrder(a, b); }
  std::optional<std::string> CollationKey(const std::string& text) const override { return text; }
};

std::unique_ptr<icu::Collator> CreateSecondary(const icu::Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
  if (U_FAILURE(status) || collator == nullptr) return nullptr;
  collator->setStrength(icu::Collator::SECONDARY);
  return collator;
}

}  // namespace

std::unique_ptr<TextCollator> MakeLocaleCollator() {
  icu::Locale locale = icu::Locale::getDefault();
  // The C and POSIX locales become ICU's en_US_POSIX, whose collation is ASCII code
  // order and tells case apart; the root collation keeps the list case-insensitive.
  if (std::strcmp(locale.getVariant(), "POSIX") == 0) locale = icu::Locale::getRoot();
  std::unique_ptr<icu::Collator> collator = CreateSecondary(locale);
  if (collator == nullptr) collator = CreateSecondary(icu::Locale::getRoot());
  if (collator == nullptr) return std::make_unique<ByteCollator>();
  return std::make_unique<IcuCollator>(std::move(collator));
}

}  // namespace tarvello
