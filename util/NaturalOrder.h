#pragma once
// The order people expect of numbered file names: runs of digits compare by their value, so
// "page2" comes before "page10", and letters compare without regard to ASCII case.

#include <string_view>

// A strict weak order: names that differ only in case or in leading zeros ("Page01", "page1")
// still compare unequal, by their bytes, so sorting a folder gives the same list every time.
bool NaturalLess(std::string_view a, std::string_view b);
