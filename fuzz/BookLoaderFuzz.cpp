// Fuzz harness of the book document loader (TMBook::LoadFromStream). Whatever the load leaves
// is saved in canonical form, which must load again without error and save to the same text.
// Seeds are books built through the model and saved, plus hand-written edge cases.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "util/Error.h"

namespace {

[[noreturn]] void Finding(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
  std::abort();
}

// The first line where the two texts differ, from each.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::istringstream left(a), right(b);
  std::string leftLine, rightLine;
  while (true) {
    const bool moreLeft = static_cast<bool>(std::getline(left, leftLine));
    const bool moreRight = static_cast<bool>(std::getline(right, rightLine));
    if (!moreLeft && !moreRight) return {};
    if (!moreLeft) leftLine = "(end)";
    if (!moreRight) rightLine = "(end)";
    if (leftLine != rightLine) return "before: " + leftLine + "\nafter:  " + rightLine;
  }
}

// Loads a saved text into a new book and saves that book.
std::string Resave(const std::string& saved) {
  TMBook reloaded;
  try {
    reloaded.LoadFromStream(saved);
  } catch (const Error& error) {
    Finding("the canonical form does not load again:", error.Message() + "\n" + saved);
  }
  return reloaded.SaveToText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TMBook book;
  try {
    book.LoadFromStream(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Error&) {
    // A document that does not parse, or an attribute that does not convert.
  }
  // One round trip may change the text by design: a picture whose src ends in ".gif" is written
  // as "gif" and read back as a gif element. From then on the canonical form must be stable.
  const std::string second = Resave(book.SaveToText());
  const std::string third = Resave(second);
  if (third != second)
    Finding("the canonical form changes on every round trip:", FirstDifference(second, third));
  return 0;
}

namespace {

std::string BuiltBook() {
  TMBook book;
  book.title = "Seed & <book>";
  book.pagewidth = 500;
  book.pageheight = 700;
  book.foldfx = 0.949579831932773;
  book.bookmarks->AddNew<TMBookmark>();
  for (int c = 0; c < 2; ++c) {
    TMChapter& chapter = book.Chapters->AddNew<TMChapter>();
    for (int p = 0; p < 2; ++p) {
      TMPage& page = chapter.Pages->AddNew<TMPage>();
      page.SetIsSimplePage(p == 1);
      page.elem->AddNew<TMImg>().SetSrc("res/pages/p1.jpg");
      page.elem->AddNew<TMGif>().SetSrc("res/pages/anim.gif");
      page.elem->AddNew<TMSnd>().SetSrc("res/pages/s.mp3");
      page.elem->AddNew<TMVid>().SetSrc("res/pages/v.flv");
      page.elem->AddNew<TMArea>();
      page.elem->AddNew<TMTxt>();
      TMLink& link = page.links->AddNew<TMLink>();
      link.urls->AddNew<TMURL>();
    }
  }
  return book.SaveToText();
}

}  // namespace

std::vector<std::string> FuzzSeeds() {
  return {
      BuiltBook(),
      TMBook().SaveToText(),
      R"(<book ltr="TRUE" ignoresyslang="fAlSe" pagewidth="+640" bgcolor="4291611852"/>)",
      R"(<book ltr="yes" pagewidth="12"/>)",
      R"(<book foldfx="1,5" spinecolor="4294967296" pos_search_="-1"/>)",
      R"(<BOOK PageWidth="5"><Chapters><chapter><Pages><spreadpage><elem><img src="a.png"/>)"
      R"(<unknown left="1"/><vid guicolor="-9000000000"/></elem></spreadpage></Pages></chapter>)"
      R"(</Chapters><!-- c --><unknown/>text</BOOK>)",
      "<book title=\"&#1;\xC3\xBC&amp;\"><bookmarks><bookmark/></bookmarks></book>",
      "<book><Chapters>",
  };
}
