#pragma once
// File, folder and number helpers shared by the player: deleting the working folder,
// colour byte order, INI values and rounding.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Deletes `folder` with everything in it, however deep. Symbolic links are never followed: a link
// is removed as a link and its target survives, also when `folder` itself is a link (with or
// without a trailing separator). Folders that would block the removal of their entries are
// opened up to their owner first. An entry that cannot be deleted is left and the walk goes on
// with the rest. True when no folder remains at `folder` (a missing folder, or a file, counts
// as success); false when anything stayed. Never throws.
bool DeleteFolderTree(const std::filesystem::path& folder);

// Converts between RRGGBB (documents) and BBGGRR (platform colours); the highest byte is cleared.
std::uint32_t SwapRedBlue(std::uint32_t colour);

// The value of `key` in `section` of an INI file, or `fallback` when the file, the section or the
// key is missing or the file cannot be read.
std::string ReadIniText(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view fallback);
// As ReadIniText for several keys of one section, reading the file once.
std::vector<std::string> ReadIniTexts(const std::filesystem::path& file, std::string_view section,
                                      std::span<const std::string_view> keys,
                                      std::string_view fallback);

// Rounds to the nearest integer, halves to the even neighbour; values beyond the 32-bit range
// are clamped.
int RoundHalfEven(double value);
