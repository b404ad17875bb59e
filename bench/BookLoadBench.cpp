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

template <class T, class List>
T& Append(List& list) {
  auto item = std::make_unique<T>(&list);
  T& added = *item;
  list.Add(std::move(item));
  return added;
}

std::string BookText() {
  TMBook book;
  book.title = "Benchmark book";
  TMChapter& chapter = Append<TMChapter>(*book.Chapters);
  for (int i = 0; i < kPages; ++i) {
    TMPage& page = Append<TMPage>(*chapter.Pages);
    page.mobilefile2 = "res/mobile/page_" + std::to_string(i) + ".jpg";
    Append<TMImg>(*page.elem).SetSrc("res/pages/page_" + std::to_string(i) + ".swf");
    Append<TMURL>(*Append<TMLink>(*page.links).urls).src =
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
