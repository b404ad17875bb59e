#pragma once
// The authoring side of books: packing a source book onto a player, unpacking any package into
// a source book, and moving a package onto another player.
//
// A source book is a folder laid out like the book root the split writes: project.xml and
// book.xml at its top and every file at the relative path the documents name; the navigation
// button and bar groups as res/navbtn/ and res/navbar/ with their info.ini; the language and
// flag archives as the folders res/languages/ and res/flags/, unpacked; the shared movies at
// their fixed names (framework.swf, res/other/mag.swf, toolbar.swf, input.png, videoskin.swf,
// thumb.swf).

#include <filesystem>
#include <string>
#include <vector>

#include "authoring/ListedDocument.h"

// Writes `output`: the bytes of `player`, the blobs of the source book in the authoring order,
// then its two documents with every address filled in (no other byte of them changed), then the
// two lengths; `output` gets the run bits. The package is written to a temporary file beside
// `output` and renamed at the end: nothing is left behind when an Error (naming the document
// property and the path at fault) ends the packing.
void PackBook(const std::filesystem::path& player, const std::filesystem::path& source,
              const std::filesystem::path& output);

// A source book whose one long page list is given a page at a time, so that packing it holds
// one page (the book `bookstub make` writes): `book` is the book document with the list
// placeholder (ListedDocument.h) standing for the pages of its first and only chapter.
struct TPagedSourceBook {
  std::string project;
  std::string book;
  TPageSequence pages;  // at least one
};

// Writes `output` as PackBook writes it for the source folder holding the two documents with
// the pages in place of the placeholder; the other files the documents name are read from
// `source`. The pages get their addresses.
void PackPagedBook(const std::filesystem::path& player, const std::filesystem::path& source,
                   const TPagedSourceBook& book, const std::filesystem::path& output);

// Things an unpacking passed over (the package carries them, but the split would not write them
// either), one sentence each.
struct TUnpackReport {
  std::vector<std::string> notes;
};

// Writes the source book of `package` into `folder`, which must be missing or empty: the two
// documents as stored, every addressed blob at its document path, the archives unpacked into
// their folders, the groups' info.ini and members. Where blobs name one path with different
// bytes the later one is written, as in the split, and noted once per path; a blob naming one
// of the two documents with other bytes is refused. A file that carries no book is refused as the
// player refuses it. On an Error the folder is left empty.
TUnpackReport UnpackBook(const std::filesystem::path& package, const std::filesystem::path& folder);

// Writes `output`: the bytes of `player`, then the package appended to `input` (from the lowest
// blob start any address names) byte for byte, with every non-zero pos_ of both documents moved
// by the change in stub length and the documents' lengths following them. Refuses, writing
// nothing, a package whose addresses overlap its documents or would pass their limit once moved,
// and a file that carries no book.
void RestubBook(const std::filesystem::path& player, const std::filesystem::path& input,
                const std::filesystem::path& output);
