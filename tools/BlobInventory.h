#pragma once
// Every blob that the two documents of a package address, with a check of each address against
// the package file.

#include <vector>

#include "package/BookBlobs.h"

class TLMProject;
class TMBook;
class TPackageReader;

struct TBlobEntry {
  TBookBlob blob;
  bool inside = false;  // the whole blob (group: every member) lies inside the file
};

// The blobs the player reads (the addresses nobody reads are left out), in the authoring order.
std::vector<TBlobEntry> ListBlobs(const TLMProject& project, const TMBook& book,
                                  TPackageReader& reader);
