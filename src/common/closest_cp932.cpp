#include "common/closest_cp932.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/uniset.h>
#include <unicode/uscript.h>

#include <memory>
#include <stdexcept>
#include <unordered_map>

#include "common/cp932.h"
#include "common/text_transform.h"

namespace tarvello {
namespace {

// Every character the CP932 converter maps, its one-way fallbacks included. Frozen, so
// that all threads may read it at once.
const icu::UnicodeSet& Cp932Repertoire() {
  static const icu::UnicodeSet repertoire = [] {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-31j", &status);
    icu::UnicodeSet set;
    if (U_SUCCESS(status)) {
      ucnv_setFallback(converter, true);
      ucnv_getUnicodeSet(converter, set.toUSet(), UCNV_ROUNDTRIP_AND_FALLBACK_SET, &status);
      ucnv_close(converter);
    }
    if (U_FAILURE(status)) throw std::runtime_error("the CP932 converter is missing");
    set.freeze();
    return set;
  }();
  return repertoire;
}

enum Transform { kTraditional, kWithoutMarks, kLatinAscii, kAnyLatinAscii, kTransformCount };

// Each transform is built when a text first needs it, from ICU's rules where they allow,
// so that a Latin title pays for Latin-ASCII alone and not for ICU's transform registry.
std::unique_ptr<TextTransform> BuildTransform(Transform transform) {
  switch (transform) {
    case kTraditional:
      return TextTransform::FromData("Simplified-Traditional");
    case kWithoutMarks:
      return TextTransform::FromRules(u":: NFD() ; [:Nonspacing Mark:] > ; :: NFC() ;");
    case kLatinAscii:
      return TextTransform::FromData("Latin-ASCII");
    default:
      return nullptr;
  }
}

// Building a transform costs a millisecond or more, so each thread builds the ones its
// texts need once and keeps them. Threads never share one: a transform keeps caches while
// it runs, and a copy would cost as much as building anew. A transform ICU cannot make
// (its data missing) leaves its characters to become "?", as they would without it.
const TextTransform* ThreadTransform(Transform transform) {
  static constexpr const char* kRegistryIds[kTransformCount] = {
      "Simplified-Traditional", "NFD; [:Nonspacing Mark:] Remove; NFC", "Latin-ASCII",
      "Any-Latin; Latin-ASCII"};
  thread_local std::unique_ptr<TextTransform> transforms[kTransformCount];
  thread_local bool built[kTransformCount] = {};
  if (!built[transform]) {
    transforms[transform] = BuildTransform(transform);
    if (!transforms[transform]) {
      transforms[transform] = TextTransform::FromRegistry(kRegistryIds[transform]);
    }
    built[transform] = true;
  }
  return transforms[transform].get();
}

icu::UnicodeString Transformed(Transform transform, icu::UnicodeString text) {
  if (const TextTransform* text_transform = ThreadTransform(transform)) {
    text_transform->Apply(text);
  }
  return text;
}

bool IsMark(UChar32 c) {
  return (U_GET_GC_MASK(c) & (U_GC_MN_MASK | U_GC_MC_MASK | U_GC_ME_MASK)) != 0;
}

// How a character finds its CP932 form.
enum class Route { kHeld, kHan, kLatin, kOtherScript };

Route RouteOf(UChar32 c) {
  if (Cp932Repertoire().contains(c)) return Route::kHeld;
  UErrorCode status = U_ZERO_ERROR;
  switch (uscript_getScript(c, &status)) {
    case USCRIPT_HAN:
      return Route::kHan;
    case USCRIPT_LATIN:
    case USCRIPT_COMMON:
    case USCRIPT_INHERITED:
    case USCRIPT_UNKNOWN:
      return Route::kLatin;
    default:
      return Route::kOtherScript;
  }
}

// One Han character: its traditional form if CP932 holds that, else its reading.
icu::UnicodeString ClosestHan(UChar32 c) {
  icu::UnicodeString traditional = Transformed(kTraditional, icu::UnicodeString(c));
  if (Cp932Repertoire().containsAll(traditional)) return traditional;
  return Transformed(kAnyLatinAscii, icu::UnicodeString(c));
}

icu::UnicodeString ClosestRun(Route route, const icu::UnicodeString& run) {
  switch (route) {
    case Route::kLatin:
      return Transformed(kLatinAscii, run);
    case Route::kOtherScript:
      return Transformed(kAnyLatinAscii, run);
    default:
      return run;
  }
}

// A stretch of characters CP932 lacks (with the base letters of its marks), composed
// first so that a letter and its mark CP932 has as one character stay one. Runs of one
// route are transformed together, since a script's letters read by their neighbours.
icu::UnicodeString ClosestForms(const icu::UnicodeString& missing) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString composed =
      icu::Normalizer2::getNFCInstance(status)->normalize(missing, status);
  const icu::UnicodeString& text = U_SUCCESS(status) ? composed : missing;
  icu::UnicodeString result;
  icu::UnicodeString run;
  Route run_route = Route::kHeld;
  for (int32_t at = 0; at < text.length(); at = text.moveIndex32(at, 1)) {
    const UChar32 c = text.char32At(at);
    // Invisible characters (a soft hyphen, a joiner) stay invisible, as the converter
    // leaves them out.
    if (u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT)) continue;
    if (IsMark(c) && !run.isEmpty()) {
      // A mark CP932 lacks on a letter it holds: the letter shows without it.
      if (run_route != Route::kHeld || Cp932Repertoire().contains(c)) run.append(c);
      continue;
    }
    Route route = RouteOf(c);
    icu::UnicodeString form(c);
    // A Greek or Cyrillic letter with a mark CP932 lacks keeps its script without it.
    if (route == Route::kOtherScript) {
      icu::UnicodeString bare = Transformed(kWithoutMarks, form);
      if (Cp932Repertoire().containsAll(bare)) {
        route = Route::kHeld;
        form = std::move(bare);
      }
    }
    if (route != run_route || route == Route::kHan) {
      result.append(ClosestRun(run_route, run));
      run.remove();
      run_route = route;
    }
    if (route == Route::kHan) {
      result.append(ClosestHan(c));
    } else {
      run.append(form);
    }
  }
  return result.append(ClosestRun(run_route, run));
}

// The closest form of one character CP932 lacks, remembered by each thread: a library
// repeats the same few accented letters in thousands of names.
const icu::UnicodeString& ClosestFormOf(UChar32 c) {
  constexpr size_t kMostRemembered = 4096;
  thread_local std::unordered_map<UChar32, icu::UnicodeString> forms;
  if (forms.size() >= kMostRemembered) forms.clear();
  const auto [remembered, added] = forms.try_emplace(c);
  if (added) remembered->second = ClosestForms(icu::UnicodeString(c));
  return remembered->second;
}

std::string ClosestCp932(const icu::UnicodeString& text) {
  const icu::UnicodeSet& held = Cp932Repertoire();
  const UChar* chars = text.getBuffer();
  const int32_t length = text.length();
  icu::UnicodeString closest;
  int32_t start = 0;
  while (start < length) {
    int32_t held_end = start + held.span(chars + start, length - start, USET_SPAN_CONTAINED);
    const int32_t missing_end =
        held_end + held.span(chars + held_end, length - held_end, USET_SPAN_NOT_CONTAINED);
    // A mark CP932 lacks takes its base letter along: "e" and U+0301 are one "é".
    if (held_end > start && held_end < length && IsMark(text.char32At(held_end))) {
      held_end = text.moveIndex32(held_end, -1);
    }
    closest.append(text, start, held_end - start);
    if (held_end < missing_end) {
      const icu::UnicodeString missing = text.tempSubStringBetween(held_end, missing_end);
      closest.append(missing.countChar32() == 1 ? ClosestFormOf(missing.char32At(0))
                                                : ClosestForms(missing));
    }
    start = missing_end;
  }
  return Utf16ToCp932(
      std::u16string_view(closest.getBuffer(), static_cast<size_t>(closest.length())));
}

}  // namespace

std::string Utf8ToClosestCp932(std::string_view utf8) {
  const auto length = static_cast<int32_t>(utf8.size());
  // Most texts CP932 holds whole: they take the plain conversion alone.
  if (Cp932Repertoire().spanUTF8(utf8.data(), length, USET_SPAN_CONTAINED) == length) {
    return Utf8ToCp932(utf8);
  }
  return ClosestCp932(icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), length)));
}

}  // namespace tarvello
