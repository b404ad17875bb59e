// Writes a test PDF (tests/support/pdf) for the scripts that make books from PDFs:
//   bookstub-write-test-pdf OUT standard     the standard test document (StandardTestPdfContent)
//   bookstub-write-test-pdf OUT text PAGES   PAGES A4 pages full of text lines, as a long manual
//                                            is (the make benchmark's input)

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/pdf/TestPdf.h"

int main(int argc, char** argv) {
  const std::string kind = argc >= 3 ? argv[2] : "";
  std::string bytes;
  if (argc == 3 && kind == "standard") {
    bytes = testsupport::StandardTestPdf();
  } else if (argc == 4 && kind == "text" && std::atoi(argv[3]) > 0) {
    bytes = testsupport::TextHeavyPdf(std::atoi(argv[3]));
  } else {
    std::fprintf(stderr, "usage: bookstub-write-test-pdf OUT standard | OUT text PAGES\n");
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return out ? 0 : 1;
}
