#pragma once
// INI values read with the profile-reading rules the packages rely on.

#include <span>
#include <string>
#include <string_view>
#include <vector>

// The value of `key` in `section` of an INI file given as its bytes, or `fallback`. Section and
// key names are compared without regard to ASCII case, blanks around names and values are
// trimmed, one pair of matching quotes around a value is removed, CRLF line ends, a UTF-8
// byte-order mark and UTF-16LE text with its byte-order mark are accepted, and the first
// matching section and key win.
std::string FindIniValue(std::string_view fileBytes, std::string_view section, std::string_view key,
                         std::string_view fallback);
// The values of several keys of one section, in the order of `keys`, found in one pass over the
// text: each as FindIniValue would give it.
std::vector<std::string> FindIniValues(std::string_view fileBytes, std::string_view section,
                                       std::span<const std::string_view> keys,
                                       std::string_view fallback);
