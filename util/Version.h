#pragma once
// What `--version` prints, the same for every program of Bookstub.

#include <string>
#include <string_view>

// "<program> <version>", then the Flash emulator and its version on a second line (no line
// break at the end).
std::string VersionText(std::string_view program);
