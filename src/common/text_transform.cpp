#include "common/text_transform.h"

#include <unicode/parseerr.h>
#include <unicode/ures.h>
#include <unicode/utypes.h>

#include <string>
#include <string_view>
#include <utility>

namespace tarvello {
namespace {

// The rules ICU's data keeps for the forward transform `id`, through the aliases that
// name another transform's rules.
std::optional<icu::UnicodeString> DataRules(const char* id) {
  constexpr int kMostAliases = 4;
  UErrorCode status = U_ZERO_ERROR;
  const icu::LocalUResourceBundlePointer root(
      ures_openDirect(U_ICUDATA_NAME "-translit", "root", &status));
  const icu::LocalUResourceBundlePointer index(
      ures_getByKey(root.getAlias(), "RuleBasedTransliteratorIDs", nullptr, &status));
  std::string name = id;
  for (int alias = 0; alias <= kMostAliases && U_SUCCESS(status); ++alias) {
    const icu::LocalUResourceBundlePointer entry(
        ures_getByKey(index.getAlias(), name.c_str(), nullptr, &status));
    const icu::LocalUResourceBundlePointer kind(
        ures_getByIndex(entry.getAlias(), 0, nullptr, &status));
    if (U_FAILURE(status)) break;
    const std::string_view key = ures_getKey(kind.getAlias());
    if (key == "alias") {
      name.clear();
      icu::UnicodeString(icu::ures_getUnicodeString(kind.getAlias(), &status)).toUTF8String(name);
      continue;
    }
    if (key != "file" && key != "internal") break;
    const icu::UnicodeString direction =
        icu::ures_getUnicodeStringByKey(kind.getAlias(), "direction", &status);
    const icu::UnicodeString rules =
        icu::ures_getUnicodeStringByKey(kind.getAlias(), "resource", &status);
    if (U_FAILURE(status) || direction != u"FORWARD") break;
    return rules;
  }
  return std::nullopt;
}

// The statements of ICU's rules, each without its ";": a ";" in quotes, after a
// backslash or within a set's brackets ends none. Nullopt for rules with a comment.
std::optional<std::vector<icu::UnicodeString>> Statements(const icu::UnicodeString& rules) {
  std::vector<icu::UnicodeString> statements;
  bool quoted = false;
  int brackets = 0;
  int32_t start = 0;
  for (int32_t at = 0; at < rules.length(); ++at) {
    const char16_t c = rules[at];
    if (c == u'\'') {
      quoted = !quoted;
    } else if (quoted) {
      continue;
    } else if (c == u'\\') {
      ++at;
    } else if (c == u'[') {
      ++brackets;
    } else if (c == u']') {
      brackets = brackets > 0 ? brackets - 1 : 0;
    } else if (c == u'#') {
      return std::nullopt;
    } else if (c == u';' && brackets == 0) {
      statements.emplace_back(rules, start, at - start);
      start = at + 1;
    }
  }
  statements.emplace_back(rules, start);
  return statements;
}

// The normalization form a "::" statement names ("NFD()", "NFC"), or nullptr.
const icu::Normalizer2* NamedNormalizer(icu::UnicodeString name) {
  name.findAndReplace(u" ", u"").findAndReplace(u"()", u"");
  if (name != u"NFC" && name != u"NFD" && name != u"NFKC" && name != u"NFKD") return nullptr;
  const char* form = name.startsWith(u"NFK") ? "nfkc" : "nfc";
  const UNormalization2Mode mode = name.endsWith(u"D") ? UNORM2_DECOMPOSE : UNORM2_COMPOSE;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = icu::Normalizer2::getInstance(nullptr, form, mode, status);
  return U_SUCCESS(status) ? normalizer : nullptr;
}

std::unique_ptr<icu::Transliterator> CompiledRules(const icu::UnicodeString& rules) {
  UParseError where{};
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> compiled(icu::Transliterator::createFromRules(
      u"tarvello-rules", rules, UTRANS_FORWARD, where, status));
  if (U_FAILURE(status)) return nullptr;
  return compiled;
}

}  // namespace

std::unique_ptr<TextTransform> TextTransform::FromRules(const icu::UnicodeString& rules) {
  const auto statements = Statements(rules);
  if (!statements) return nullptr;
  auto transform = std::make_unique<TextTransform>();
  icu::UnicodeString block;
  const auto end_block = [&] {
    if (block.trim().isEmpty()) return true;
    transform->steps_.push_back({nullptr, CompiledRules(block)});
    block.remove();
    return transform->steps_.back().rules != nullptr;
  };
  for (const icu::UnicodeString& statement : *statements) {
    icu::UnicodeString trimmed(statement);
    if (!trimmed.trim().startsWith(u"::")) {
      block.append(statement).append(u';');
      continue;
    }
    if (!end_block()) return nullptr;
    icu::UnicodeString named(trimmed, 2);
    named.trim();
    if (named.startsWith(u"[") && transform->steps_.empty() && !transform->filter_) {
      UErrorCode status = U_ZERO_ERROR;
      transform->filter_.emplace(named, status);
      if (U_FAILURE(status)) return nullptr;
      transform->filter_->freeze();
    } else if (const icu::Normalizer2* normalizer = NamedNormalizer(named)) {
      transform->steps_.push_back({normalizer, nullptr});
    } else {
      return nullptr;
    }
  }
  if (!end_block() || transform->steps_.empty()) return nullptr;
  return transform;
}

std::unique_ptr<TextTransform> TextTransform::FromData(const char* id) {
  const std::optional<icu::UnicodeString> rules = DataRules(id);
  return rules ? FromRules(*rules) : nullptr;
}

std::unique_ptr<TextTransform> TextTransform::FromRegistry(const char* id) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
      icu::UnicodeString(id, -1, US_INV), UTRANS_FORWARD, status));
  if (U_FAILURE(status) || made == nullptr) return nullptr;
  auto transform = std::make_unique<TextTransform>();
  transform->steps_.push_back({nullptr, std::move(made)});
  return transform;
}

// Like ICU's compound transforms, the steps run one after the other over each stretch of
// the text the filter takes, and leave the rest alone.
void TextTransform::Apply(icu::UnicodeString& text) const {
  if (!filter_) {
    ApplySteps(text, 0, text.length());
    return;
  }
  int32_t at = 0;
  while (at < text.length()) {
    const int32_t start = filter_->span(text, at, USET_SPAN_NOT_CONTAINED);
    const int32_t limit = filter_->span(text, start, USET_SPAN_CONTAINED);
    at = start < limit ? ApplySteps(text, start, limit) : limit;
  }
}

int32_t TextTransform::ApplySteps(icu::UnicodeString& text, int32_t start, int32_t limit) const {
  for (const Step& step : steps_) {
    if (start == limit) break;
    if (step.rules) {
      const int32_t end = step.rules->transliterate(text, start, limit);
      if (end >= 0) limit = end;
      continue;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString form =
        step.normalizer->normalize(text.tempSubStringBetween(start, limit), status);
    if (U_FAILURE(status)) continue;
    text.replaceBetween(start, limit, form);
    limit = start + form.length();
  }
  return limit;
}

}  // namespace tarvello
