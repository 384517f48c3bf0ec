#pragma once

// The CP932 text of a song record (title, artist, album and the other tag texts): what
// the phone shows. Every character CP932 holds stays as Utf8ToCp932 gives it; a character
// it lacks takes its closest CP932 form through ICU's transforms, in this order:
//   - Han: its traditional form, when CP932 holds that ("张" gives "張");
//   - Latin letters and symbols: without marks, ligatures and special letters spelled
//     out ("é" gives "e", "ß" "ss", "Æ" "AE");
//   - other scripts: in Latin letters ("방탄" gives "bangtan");
// and "?" only where no transform gives a CP932 form (emoji, say). A base letter with a
// combining mark CP932 lacks counts as one character.

#include <string>
#include <string_view>

namespace tarvello {

std::string Utf8ToClosestCp932(std::string_view utf8);

}  // namespace tarvello
