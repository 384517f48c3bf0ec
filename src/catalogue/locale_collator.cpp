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

// The collator of the user's locale. The C and POSIX locales become ICU's en_US_POSIX,
// whose collation is ASCII code order and tells case apart at every strength; the root
// collation keeps lists and folders in the order people read.
std::unique_ptr<icu::Collator> CreateLocaleCollator() {
  icu::Locale locale = icu::Locale::getDefault();
  if (std::strcmp(locale.getVariant(), "POSIX") == 0) locale = icu::Locale::getRoot();
  for (const icu::Locale& choice : {locale, icu::Locale::getRoot()}) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(choice, status));
    if (U_SUCCESS(status) && collator != nullptr) return collator;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<TextCollator> MakeLocaleCollator() {
  std::unique_ptr<icu::Collator> collator = CreateLocaleCollator();
  if (collator == nullptr) return std::make_unique<ByteCollator>();
  collator->setStrength(icu::Collator::SECONDARY);
  return std::make_unique<IcuCollator>(std::move(collator));
}

std::unique_ptr<TextCollator> MakeNaturalCollator() {
  std::unique_ptr<icu::Collator> collator = CreateLocaleCollator();
  UErrorCode status = U_ZERO_ERROR;
  if (collator != nullptr) collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
  if (collator == nullptr || U_FAILURE(status)) return std::make_unique<ByteCollator>();
  return std::make_unique<IcuCollator>(std::move(collator));
}

}  // namespace tarvello
