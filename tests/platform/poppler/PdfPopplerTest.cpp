#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Os.h"
#include "platform/Pdf.h"
#include "tests/support/pdf/TestPdf.h"
#include "util/Error.h"

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// Boxes from the text layer depend on the font's metrics: compared to what was drawn within a
// few points.
constexpr double kSlack = 4;

std::vector<std::string> Texts(const std::vector<platform::PdfWord>& words) {
  std::vector<std::string> texts;
  for (const auto& word : words) texts.push_back(word.text);
  return texts;
}

const platform::PdfWord& Word(const std::vector<platform::PdfWord>& words,
                              const std::string& text) {
  const auto found = std::find_if(words.begin(), words.end(),
                                  [&](const platform::PdfWord& word) { return word.text == text; });
  if (found == words.end()) throw std::runtime_error("no word " + text);
  return *found;
}

void ExpectBox(const BoxF& box, double left, double top, double width, double height,
               double slack = 0.5) {
  EXPECT_NEAR(box.left, left, slack);
  EXPECT_NEAR(box.top, top, slack);
  EXPECT_NEAR(box.width, width, slack);
  EXPECT_NEAR(box.height, height, slack);
}

std::string Throws(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(nothing thrown)";
}

class PdfPopplerTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("bookstub-pdf-test-" + platform::NewGuid());
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

  fs::path folder_;
};

TEST_F(PdfPopplerTest, ReadsPagesLabelsWordsLinksAndOutline) {
  const auto document = platform::OpenPdf(Write("standard.pdf", testsupport::StandardTestPdf()));
  ASSERT_EQ(document->PageCount(), 3);

  const auto first = document->Page(0);
  EXPECT_EQ(first->Width(), 595);
  EXPECT_EQ(first->Height(), 842);
  EXPECT_EQ(first->Label(), "i");
  const auto words = first->Words();
  EXPECT_THAT(Texts(words), ElementsAre("Bookstub", "test", "document", "Hello,", "world"));
  // The 12-point word drawn on the baseline at (72, 160): its box holds the baseline.
  const BoxF hello = Word(words, "Hello,").box;
  EXPECT_NEAR(hello.left, 72, 1);
  EXPECT_LT(hello.top, 160);
  EXPECT_GT(hello.top + hello.height, 160);
  EXPECT_NEAR(hello.height, 12, kSlack);
  EXPECT_GT(Word(words, "world").box.left, hello.left + hello.width);
  EXPECT_NEAR(Word(words, "document").box.height, 24, 2 * kSlack);

  const auto links = first->Links();
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0].uri, "https://example.org/");
  EXPECT_EQ(links[0].page, 0);
  ExpectBox(links[0].box, 72, 190, 150, 20);
  EXPECT_EQ(links[1].uri, "");
  EXPECT_EQ(links[1].page, 3);  // through the named destination "results"
  ExpectBox(links[1].box, 72, 230, 150, 20);

  EXPECT_EQ(document->Page(1)->Label(), "ii");
  const auto third = document->Page(2);
  EXPECT_EQ(third->Width(), 842);
  EXPECT_EQ(third->Height(), 595);
  EXPECT_EQ(third->Label(), "1");
  const auto thirdLinks = third->Links();
  ASSERT_EQ(thirdLinks.size(), 2u);
  EXPECT_EQ(thirdLinks[0].page, 1);
  ExpectBox(thirdLinks[0].box, 100, 300, 80, 20);
  EXPECT_EQ(thirdLinks[1].page, 2);

  EXPECT_THAT(document->Outline(), ElementsAre(platform::PdfOutlineEntry{"Front matter", 1, 1},
                                               platform::PdfOutlineEntry{"Preface", 2, 2},
                                               platform::PdfOutlineEntry{"Results", 3, 1}));
}

TEST_F(PdfPopplerTest, GivesNoLabelWhereTheLabelIsThePageNumber) {
  using testsupport::Ref;
  // Page 1 numbered "1" (as its number), pages 2 and 3 in small roman numerals from iv.
  testsupport::RawPdf pdf;
  const int catalog = pdf.Add("");
  const int pages = pdf.Add("");
  std::string kids;
  for (int i = 0; i < 3; ++i)
    kids += Ref(pdf.Add("<< /Type /Page /Parent " + Ref(pages) + " >>")) + " ";
  pdf.Set(pages, "<< /Type /Pages /MediaBox [0 0 100 100] /Kids [" + kids + "] /Count 3 >>");
  pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(pages) +
                       " /PageLabels << /Nums [0 << /S /D >> 1 << /S /r /St 4 >>] >> >>");
  const auto document = platform::OpenPdfFromBytes(pdf.Bytes(catalog));
  EXPECT_EQ(document->Page(0)->Label(), "");
  EXPECT_EQ(document->Page(1)->Label(), "iv");
  EXPECT_EQ(document->Page(2)->Label(), "v");
}

TEST_F(PdfPopplerTest, ReadsTheSameFromMemoryAsFromAFile) {
  const std::string bytes = testsupport::StandardTestPdf();
  const auto fromFile = platform::OpenPdf(Write("standard.pdf", bytes));
  const auto fromMemory = platform::OpenPdfFromBytes(bytes);
  EXPECT_EQ(fromMemory->Outline(), fromFile->Outline());
  for (int i = 0; i < fromFile->PageCount(); ++i) {
    EXPECT_EQ(fromMemory->Page(i)->Words(), fromFile->Page(i)->Words());
    EXPECT_EQ(fromMemory->Page(i)->Links(), fromFile->Page(i)->Links());
  }
}

TEST_F(PdfPopplerTest, RendersTheWholePageOnWhitePaperAtTheAskedSize) {
  const auto document = platform::OpenPdfFromBytes(testsupport::StandardTestPdf());
  const auto page = document->Page(0);
  // Half a point per pixel, stretched: the page's shape is the caller's business.
  const platform::RgbPixels pixels = page->Render(1190, 842);
  ASSERT_EQ(pixels.width, 1190);
  ASSERT_EQ(pixels.height, 842);
  ASSERT_EQ(pixels.rgb.size(), 1190u * 842 * 3);
  auto at = [&](int x, int y) {
    const std::size_t offset = (static_cast<std::size_t>(y) * pixels.width + x) * 3;
    return pixels.rgb[offset] + pixels.rgb[offset + 1] + pixels.rgb[offset + 2];
  };
  EXPECT_EQ(at(0, 0), 3 * 255);
  EXPECT_EQ(at(1189, 841), 3 * 255);
  // Ink on the 24-point title's line from (72, 100), twice as wide: none before it, some along
  // its first 100 points.
  auto darkest = [&](int fromX, int toX) {
    int value = 3 * 255;
    for (int x = fromX; x < toX; ++x)
      for (int y = 80; y < 100; ++y) value = std::min(value, at(x, y));
    return value;
  };
  EXPECT_EQ(darkest(0, 2 * 70), 3 * 255);
  EXPECT_LT(darkest(2 * 72, 2 * 172), 3 * 64);
}

TEST_F(PdfPopplerTest, RefusesRenderingsBeyondThePixelBudget) {
  const auto document = platform::OpenPdfFromBytes(testsupport::StandardTestPdf());
  const auto page = document->Page(0);
  EXPECT_THAT(Throws([&] { page->Render(0, 100); }), HasSubstr("0 x 100 pixels"));
  EXPECT_THAT(Throws([&] { page->Render(100, -1); }), HasSubstr("cannot be rendered"));
  EXPECT_THAT(Throws([&] { page->Render(32768, 1); }), HasSubstr("cannot be rendered"));
  EXPECT_THAT(Throws([&] { page->Render(20000, 20000); }), HasSubstr("cannot be rendered"));
  EXPECT_EQ(page->Render(1, 1).rgb.size(), 3u);
}

TEST_F(PdfPopplerTest, GivesBoxesOfARotatedPageAsItIsShown) {
  const auto document = platform::OpenPdfFromBytes(testsupport::RotatedPagePdf());
  const auto page = document->Page(0);
  // US letter turned a quarter.
  EXPECT_EQ(page->Width(), 792);
  EXPECT_EQ(page->Height(), 612);
  const auto links = page->Links();
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0].uri, "https://example.org/turned");
  // Unturned (72, 60)-(172, 90) from the bottom-left corner: a quarter turn clockwise puts the
  // bottom edge on the left and the left edge at the top.
  ExpectBox(links[0].box, 60, 72, 30, 100);
  const auto words = page->Words();
  ASSERT_EQ(words.size(), 1u);
  EXPECT_EQ(words[0].text, "Turned");
  // The text runs down the shown page from 72 points below its top edge, its baseline 72
  // points from the left edge.
  EXPECT_NEAR(words[0].box.top, 72, 1);
  EXPECT_GT(words[0].box.height, words[0].box.width);
  EXPECT_LT(words[0].box.left, 72);
  EXPECT_GT(words[0].box.left + words[0].box.width, 72);
}

TEST_F(PdfPopplerTest, TakesLinksToAddressesAndPagesOnly) {
  using testsupport::Ref;
  testsupport::RawPdf pdf;
  const int catalog = pdf.Add("");
  const int pages = pdf.Add("");
  auto link = [](const std::string& action) {
    return "<< /Type /Annot /Subtype /Link /Rect [10 10 20 20] " + action + " >>";
  };
  const int kept1 = pdf.Add(link("/A << /S /URI /URI (mailto:someone@example.org) >>"));
  const int script = pdf.Add(link("/A << /S /JavaScript /JS (app.alert(1)) >>"));
  const int launch = pdf.Add(link("/A << /S /Launch /F (/bin/sh) >>"));
  const int remote = pdf.Add(link("/A << /S /GoToR /F (other.pdf) /D [0 /Fit] >>"));
  const int next = pdf.Add(link("/A << /S /Named /N /NextPage >>"));
  const int beyond = pdf.Add(link("/A << /S /Named /N /PrevPage >>"));  // no page before 1
  const int last = pdf.Add(link("/A << /S /Named /N /LastPage >>"));
  const int nowhere = pdf.Add(link("/Dest (no such name)"));
  const int empty = pdf.Add(link("/A << /S /URI /URI () >>"));
  const int first = pdf.Add("");
  const int second = pdf.Add("<< /Type /Page /Parent " + Ref(pages) + " >>");
  std::string annots;
  for (const int annot : {kept1, script, launch, remote, next, beyond, last, nowhere, empty})
    annots += Ref(annot) + " ";
  pdf.Set(first, "<< /Type /Page /Parent " + Ref(pages) + " /Annots [" + annots + "] >>");
  pdf.Set(pages, "<< /Type /Pages /MediaBox [0 0 100 100] /Kids [" + Ref(first) + " " +
                     Ref(second) + "] /Count 2 >>");
  pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(pages) + " >>");

  const auto links = platform::OpenPdfFromBytes(pdf.Bytes(catalog))->Page(0)->Links();
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[0].uri, "mailto:someone@example.org");
  EXPECT_EQ(links[1].page, 2);
  EXPECT_EQ(links[2].page, 2);
  ExpectBox(links[0].box, 10, 80, 10, 10);
}

TEST_F(PdfPopplerTest, BoundsHostileOutlines) {
  const auto deep = platform::OpenPdfFromBytes(testsupport::DeepOutlinePdf(10'000))->Outline();
  ASSERT_EQ(deep.size(), static_cast<std::size_t>(platform::kMaxPdfOutlineLevel));
  for (int i = 0; i < platform::kMaxPdfOutlineLevel; ++i)
    EXPECT_EQ(deep[i], (platform::PdfOutlineEntry{"Level " + std::to_string(i + 1), 1, i + 1}));

  // The way through: an outline just as deep as the limit is read whole.
  const auto limit =
      platform::OpenPdfFromBytes(testsupport::DeepOutlinePdf(platform::kMaxPdfOutlineLevel))
          ->Outline();
  EXPECT_EQ(limit.size(), static_cast<std::size_t>(platform::kMaxPdfOutlineLevel));

  const auto looping = platform::OpenPdfFromBytes(testsupport::LoopingOutlinePdf())->Outline();
  EXPECT_LE(looping.size(), static_cast<std::size_t>(platform::kMaxPdfOutlineEntries));
  ASSERT_FALSE(looping.empty());
  EXPECT_EQ(looping[0].title, "First");
}

TEST_F(PdfPopplerTest, ReadsADocumentOfManyPagesPageByPage) {
  const std::string bytes = testsupport::ManyPagesPdf(100'000);
  const auto document = platform::OpenPdfFromBytes(bytes);
  ASSERT_EQ(document->PageCount(), 100'000);
  const auto last = document->Page(99'999);
  EXPECT_EQ(last->Width(), 200);
  EXPECT_TRUE(last->Words().empty());
  EXPECT_EQ(last->Label(), "");
  EXPECT_TRUE(document->Outline().empty());
  EXPECT_THAT(Throws([&] { document->Page(100'000); }), HasSubstr("no page 100001"));
}

TEST_F(PdfPopplerTest, RefusesWhatItCannotRead) {
  EXPECT_THAT(Throws([&] { platform::OpenPdfFromBytes(testsupport::EncryptedPdf()); }),
              HasSubstr("password"));
  EXPECT_THAT(Throws([&] { platform::OpenPdf(Write("locked.pdf", testsupport::EncryptedPdf())); }),
              HasSubstr("password"));
  EXPECT_THAT(Throws([&] { platform::OpenPdfFromBytes("%PDF-1.7\nnothing else\n"); }),
              HasSubstr("damaged"));
  EXPECT_THAT(Throws([&] { platform::OpenPdfFromBytes("GIF89a"); }), HasSubstr("not a PDF"));
  EXPECT_THAT(Throws([&] { platform::OpenPdfFromBytes(""); }), HasSubstr("not a PDF"));
  EXPECT_THAT(Throws([&] { platform::OpenPdf(folder_ / "missing.pdf"); }),
              testing::Not(HasSubstr("(nothing")));
  EXPECT_THAT(Throws([&] { platform::OpenPdfFromBytes(testsupport::ManyPagesPdf(0)); }),
              testing::Not(HasSubstr("(nothing")));
}

TEST(PdfSignature, IsFoundNearTheStartOnly) {
  EXPECT_TRUE(platform::LooksLikePdf("%PDF-1.4\n"));
  EXPECT_TRUE(platform::LooksLikePdf(std::string(1000, ' ') + "%PDF-1.7"));
  EXPECT_FALSE(platform::LooksLikePdf(std::string(1024, ' ') + "%PDF-1.7"));
  EXPECT_FALSE(platform::LooksLikePdf("%PDF"));
  EXPECT_FALSE(platform::LooksLikePdf("\x89PNG\r\n\x1A\n"));
}

}  // namespace
