#pragma once
// Reading UTF-8 one character at a time.

#include <cstddef>
#include <string_view>

// Length of the valid UTF-8 sequence at the start of `text`, with its code point in
// `codePoint`; 0 when `text` is empty or the bytes there are not one (overlong forms and
// surrogates included).
std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint);
