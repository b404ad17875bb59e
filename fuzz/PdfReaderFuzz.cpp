// Fuzz harness of the PDF reading layer (platform/Pdf.h over poppler). The input is a PDF held
// in memory. Each run opens it and reads what `bookstub make` reads of its first pages (size,
// label, words, links, a small rendering) and its outline, checking the promises of the
// interface: sizes positive and finite, words without white space, links to an address or to a
// page of the document, renderings of the asked size, the outline within its limits. Seeds are
// documents of the test PDF writers: drawn by cairo, written object by object (hostile page
// trees and outlines, a rotated page, encryption), and damaged variants of them.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "platform/Pdf.h"
#include "tests/support/pdf/TestPdf.h"
#include "util/Error.h"

namespace {

constexpr int kPagesRead = 3;
constexpr int kRenderSide = 48;

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

bool Finite(const BoxF& box) {
  return std::isfinite(box.left) && std::isfinite(box.top) && std::isfinite(box.width) &&
         std::isfinite(box.height) && box.width >= 0 && box.height >= 0;
}

void ReadPage(const platform::PdfPage& page, int pageCount) {
  const double width = page.Width(), height = page.Height();
  if (!(std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0))
    Finding("page size not positive and finite");
  (void)page.Label();
  for (const platform::PdfWord& word : page.Words()) {
    if (word.text.empty()) Finding("empty word");
    if (word.text.find_first_of(" \t\r\n") != std::string::npos) Finding("white space in a word");
    if (!Finite(word.box)) Finding("word box not finite");
  }
  for (const platform::PdfLink& link : page.Links()) {
    if (link.uri.empty() == (link.page == 0)) Finding("link to neither an address nor a page");
    if (link.page < 0 || link.page > pageCount) Finding("link to a page beyond the document");
    if (!Finite(link.box)) Finding("link box not finite");
  }
  const double scale = kRenderSide / std::max(width, height);
  const int w = std::max(1, static_cast<int>(width * scale));
  const int h = std::max(1, static_cast<int>(height * scale));
  const platform::RgbPixels pixels = page.Render(w, h);
  if (pixels.width != w || pixels.height != h ||
      pixels.rgb.size() != static_cast<std::size_t>(w) * h * 3)
    Finding("rendering of another size than asked");
}

void ReadOutline(const platform::PdfDocument& document) {
  const auto outline = document.Outline();
  if (outline.size() > static_cast<std::size_t>(platform::kMaxPdfOutlineEntries))
    Finding("outline beyond its entry limit");
  int previous = 0;
  for (const platform::PdfOutlineEntry& entry : outline) {
    if (entry.level < 1 || entry.level > platform::kMaxPdfOutlineLevel)
      Finding("outline level beyond its limits");
    if (entry.level > previous + 1) Finding("outline entry more than one level below the last");
    if (entry.page < 0 || entry.page > document.PageCount())
      Finding("outline entry to a page beyond the document");
    previous = entry.level;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<platform::PdfDocument> document;
  try {
    document =
        platform::OpenPdfFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Error&) {
    return 0;  // not a PDF, damaged beyond repair, encrypted or without pages
  }
  if (document->PageCount() < 1) Finding("a document without pages was opened");
  for (int i = 0; i < std::min(kPagesRead, document->PageCount()); ++i) {
    try {
      ReadPage(*document->Page(i), document->PageCount());
    } catch (const Error&) {
      // A page that cannot be read or rendered: the others are read all the same.
    }
  }
  ReadOutline(*document);
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  using namespace testsupport;
  TestPdfContent small;
  small.pages.resize(2);
  small.pages[0].texts = {{20, 40, "Two words", 10}};
  small.pages[0].links = {{10, 10, 30, 10, "https://example.org/", 0, ""}};
  small.pages[1].width = 300;
  small.pages[1].label = "A-1";
  small.pages[1].links = {{10, 10, 30, 10, "", 1, ""}};
  small.outline = {{"One", 1, 1}, {"Two", 2, 2}};
  const std::string standard = StandardTestPdf();
  std::vector<std::string> seeds = {
      standard,
      MakeTestPdf(small),
      RotatedPagePdf(),
      DeepOutlinePdf(12),
      LoopingOutlinePdf(),
      EncryptedPdf(),
      ManyPagesPdf(70),
      ManyPagesPdf(0),
      standard.substr(0, standard.size() / 2),
      "%PDF-1.7\n",
      "",
  };
  std::string damaged = RotatedPagePdf();
  damaged[damaged.size() / 2] = '\0';
  seeds.push_back(damaged);
  return seeds;
}
