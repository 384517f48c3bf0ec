#pragma once

// One of ICU's transforms ("Latin-ASCII", say), built from its rules in ICU's data where
// they are plain enough. ICU's own way, Transliterator::createInstance, first builds the
// registry of every transform ICU knows, some 20 ms: more than a short command's whole run.
// Rules that name other transforms run here as a chain of their steps; this class knows
// the normalization forms and compiled rules as steps, and ICU's registry the rest.

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uniset.h>

#include <memory>
#include <optional>
#include <vector>

namespace tarvello {

class TextTransform {
 public:
  // The transform from ICU's rules `rules` (ICU's rule syntax), whose "::" statements
  // may set a global filter and name NFD, NFC, NFKD or NFKC; nullptr when the rules name
  // another transform or do not compile.
  static std::unique_ptr<TextTransform> FromRules(const icu::UnicodeString& rules);
  // The forward transform `id` from its rules in ICU's data; nullptr when the data holds
  // no such rules or FromRules cannot build them.
  static std::unique_ptr<TextTransform> FromData(const char* id);
  // The transform `id` through ICU's registry; nullptr when ICU cannot make it.
  static std::unique_ptr<TextTransform> FromRegistry(const char* id);

  // A transform keeps caches while it runs: one thread at a time may use it.
  void Apply(icu::UnicodeString& text) const;

 private:
  // A normalization form or compiled rules.
  struct Step {
    const icu::Normalizer2* normalizer = nullptr;
    std::unique_ptr<icu::Transliterator> rules;
  };

  int32_t ApplySteps(icu::UnicodeString& text, int32_t start, int32_t limit) const;

  std::optional<icu::UnicodeSet> filter_;
  std::vector<Step> steps_;
};

}  // namespace tarvello
