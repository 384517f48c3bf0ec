#include "sources/library_text.h"

#include "common/closest_cp932.h"
#include "common/cp932.h"
#include "common/utf8.h"
#include "common/xml_text.h"

namespace tarvello {

std::string LibraryUtf8ToCp932(std::string_view utf8) {
  if (!IsWellFormedUtf8(utf8)) return {};
  return Utf8ToCp932(utf8);
}

std::string LibraryText(std::string_view value) {
  const std::string utf8 = DecodeXmlEntities(value);
  if (!IsWellFormedUtf8(utf8)) return {};
  return Utf8ToClosestCp932(utf8);
}

}  // namespace tarvello
