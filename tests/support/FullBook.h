#pragma once
// The full-feature fixture book: every step of the split present, with names as books authored
// on other systems write them ("\\" separators, drive letters, letter case).

#include "tests/support/BookFixture.h"

namespace testsupport {

// The navigation buttons' info.ini of the full book: a blank key and a key no member uses.
extern const char* const kFullBookNavBtnIni;

// Two pages, the first placed over a movie, the second stretched under a sound.
BookSpec FullBook();

}  // namespace testsupport
