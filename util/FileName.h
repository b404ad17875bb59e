#pragma once
// File names made from text a user wrote, such as a book's title.

#include <cstddef>
#include <string>
#include <string_view>

// The longest name FileNameFromTitle gives: room for what the maker adds to it (its hidden
// scratch folder) within the 255 bytes most file systems allow.
inline constexpr std::size_t kMaxFileNameBytes = 200;

// `title` as a file name for the current folder: letters of any script, digits, "-", "_" and "."
// kept, each run of blanks (Unicode spaces too) as one "-", everything else left out: other
// ASCII punctuation ("/" above all), control and invisible characters, bytes that are not UTF-8.
// No leading "." or "-", no trailing "-" or "."; at most kMaxFileNameBytes bytes, cut between
// characters. "book" when nothing is left.
std::string FileNameFromTitle(std::string_view title);
