// Loading the book document of a 2000-page book: the XML parse alone, and the parse with the
// walk into the book model (what the loading thread does before the split). The document is
// the canonical text of a book built in memory, every page with a picture and a link.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "platform/Xml.h"

namespace {

constexpr int kPages = 2000;

std::string BookText() {
  TMBook book;
  book.title = "Benchmark book";
  TMChapter& chapter = book.Chapters->AddNew<TMChapter>();
  for (int i = 0; i < kPages; ++i) {
    TMPage& page = chapter.Pages->AddNew<TMPage>();
    page.mobilefile2 = "res/mobile/page_" + std::to_string(i) + ".jpg";
    page.elem->AddNew<TMImg>().SetSrc("res/pages/page_" + std::to_string(i) + ".swf");
    page.links->AddNew<TMLink>().urls->AddNew<TMURL>().src =
        "http://example.com/" + std::to_string(i);
  }
  return book.SaveToText();
}

const std::string& Text() {
  static const std::string text = BookText();
  return text;
}

void ParseOnly(benchmark::State& state) {
  for (auto _ : state) {
    platform::XmlDocument document;
    document.LoadFromBytes(Text());
    benchmark::DoNotOptimize(document.DocumentElement());
  }
  state.counters["bytes"] = static_cast<double>(Text().size());
}

void LoadBook(benchmark::State& state) {
  for (auto _ : state) {
    TMBook book;
    book.LoadFromStream(Text());
    benchmark::DoNotOptimize(book.Chapters->Count());
  }
}

BENCHMARK(ParseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadBook)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
