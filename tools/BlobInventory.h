#pragma once
// Every blob that the two documents of a package address, with a check of each address against
// the package file.

#include <cstdint>
#include <string>
#include <vector>

class TLMProject;
class TMBook;
class TPackageReader;

enum class TReadStyle { BySuffix, BySize, Group };

struct TBlobEntry {
  std::string document;  // "project" or "book"
  std::string property;  // e.g. "navbtn", "pos_mag_", "Chapters[0].Pages[2].elem[1].preview"
  TReadStyle style = TReadStyle::BySize;
  std::uint32_t pos = 0;
  std::uint32_t size = 0;
  bool present = false;  // the address says the file is in the package (pos not 0)
  bool inside = false;   // the whole blob (group: every member) lies inside the file
};

std::vector<TBlobEntry> ListBlobs(const TLMProject& project, const TMBook& book,
                                  TPackageReader& reader);

const char* ReadStyleName(TReadStyle style);
