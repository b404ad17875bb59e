#pragma once
// Words of a text laid out one box per character, as a PDF's text layer gives it: the text's
// characters (Unicode code points) with their boxes, cut into words at white space, each word
// boxed by the union of its characters' boxes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "util/Geometry.h"

struct TBoxedWord {
  std::string text;  // UTF-8, without white space
  BoxF box;
  friend bool operator==(const TBoxedWord&, const TBoxedWord&) = default;
};

// `boxes[i]` is the box of the i-th code point of `utf8` (white space included). A byte that is
// not valid UTF-8 counts as one character and becomes U+FFFD. Characters past the last box are
// left out, as are words past `maxWords`.
std::vector<TBoxedWord> WordsOfBoxedText(std::string_view utf8, const std::vector<BoxF>& boxes,
                                         std::size_t maxWords);
