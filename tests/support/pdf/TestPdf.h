#pragma once
// PDF files for the tests, made in code. TestPdf draws real documents through cairo's PDF
// surface: text in a font, link areas, an outline, page labels, pages of several sizes.
// RawPdf writes a document object by object, for what cairo never writes: hostile structures,
// rotated pages, encryption dictionaries, damage.

#include <string>
#include <vector>

namespace testsupport {

struct TestPdfText {
  double x = 0;  // the start of the baseline, in points from the top-left corner
  double y = 0;
  std::string text;  // UTF-8
  double size = 12;  // font size in points
};

struct TestPdfLink {
  double left = 0, top = 0, width = 0, height = 0;  // points from the top-left corner
  std::string uri;                                  // a link out of the document, or
  int page = 0;                                     // a page of the document (from 1), or
  std::string dest;                                 // a named destination of the document
};

struct TestPdfPage {
  double width = 595;  // A4 by default
  double height = 842;
  std::string label;  // none when empty
  std::string dest;   // a named destination at the top of this page, when not empty
  std::vector<TestPdfText> texts;
  std::vector<TestPdfLink> links;
};

struct TestPdfOutlineEntry {
  std::string title;
  int page = 1;
  int level = 1;  // each entry is at most one level below the one before it
};

struct TestPdfContent {
  std::vector<TestPdfPage> pages;
  std::vector<TestPdfOutlineEntry> outline;
};

// The document as PDF bytes.
std::string MakeTestPdf(const TestPdfContent& content);

// A document with what a book made from a PDF must keep, every part known:
//   page 1, A4 portrait, label "i": "Bookstub test document" (24 pt) at (72, 100), then
//     "Hello, world" (12 pt) at (72, 160), a link to https://example.org/ over (72, 190, 150,
//     20) and a link to the named destination "results" (page 3) over (72, 230, 150, 20);
//   page 2, A4 portrait, label "ii": "Preface" (12 pt) at (72, 100);
//   page 3, A4 landscape (842 x 595), label "1", named destination "results": "Results
//     landscape" (12 pt) at (100, 100), a link to page 1 over (100, 300, 80, 20) and one to
//     page 2 over (100, 400, 80, 20);
// (Cairo writes links to pages by number only for pages it has already written.)
//   outline: "Front matter" (page 1), "Preface" (page 2, level 2), "Results" (page 3).
TestPdfContent StandardTestPdfContent();
std::string StandardTestPdf();

// A document of `pages` pages drawn full of text lines, as a long manual is: the benchmarks'
// and the memory tests' input.
std::string TextHeavyPdf(int pages, int linesPerPage = 50);

// The objects of a document, numbered from 1 in the order added, written with a correct
// cross-reference table.
class RawPdf {
 public:
  // Adds an object ("<< /Type /Page ... >>", "[1 2 3]", ...); returns its number.
  int Add(const std::string& body);
  // A stream object with that dictionary (without /Length) and data.
  int AddStream(const std::string& dictionary, const std::string& data);
  // Replaces the body of an object already added (for references to objects added later).
  void Set(int number, const std::string& body);
  // The file: the objects, the table and a trailer naming `root` (and `trailerExtra`, such as
  // "/Encrypt 5 0 R").
  std::string Bytes(int root, const std::string& trailerExtra = "") const;

 private:
  std::vector<std::string> bodies_;
};

// "N 0 R".
std::string Ref(int number);

// Hostile or unusual documents.
// `pages` empty pages in a page tree of at most 64 children per node (a few bytes per page).
std::string ManyPagesPdf(int pages);
// One page and an outline whose items each hold the next as their only child, `depth` deep.
std::string DeepOutlinePdf(int depth);
// One page and an outline of two items each naming the other as its next.
std::string LoopingOutlinePdf();
// One page behind a password: its encryption dictionary's checks fail for the empty password.
std::string EncryptedPdf();
// One US letter page turned a quarter clockwise (/Rotate 90) with "Turned" in Helvetica at
// (72, 72) of its unturned space and a link to https://example.org/turned over the unturned
// rectangle from (72, 60) to (172, 90) (PDF coordinates, from the bottom-left corner).
std::string RotatedPagePdf();

}  // namespace testsupport
