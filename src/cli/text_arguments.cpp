#include "cli/text_arguments.h"

#include <string>

#include "common/utf8.h"

namespace tarvello::cli {

const CLI::Validator& Utf8Text() {
  static const CLI::Validator validator(
      [](std::string& value) -> std::string {
        return IsWellFormedUtf8(value) ? std::string() : "the text is not valid UTF-8";
      },
      "UTF-8", "UTF-8 text");
  return validator;
}

}  // namespace tarvello::cli
