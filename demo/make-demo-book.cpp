// bookstub-make-book: appends a book package to a copy of the player, as the authoring step
// does, using the test fixtures' package layout. The pages are generated pictures.
//   bookstub-make-book --player <bookstub-player> --movie <book.swf> --output <file>
//                      [--pages N] [--mobile N] [--title TEXT] [--plain-pages WIDTHxHEIGHT]
// Pages are drawn as numbered demo pages of 500 x 700 pixels, the first N of them (all by
// default) with a mobile image of twice the size, and the book gets bookmarks, a link on its
// second page, a short silent background sound and a table of contents written from its book
// document. With --plain-pages the pages are plain red pictures of the given size, without mobile
// images, link, bookmarks or sound (for tests that look for them on screen).
#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/book/MProjects.h"
#include "package/TableOfContents.h"
#include "tests/support/BookFixture.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  fs::path player;
  fs::path movie;
  fs::path output;
  int pages = 6;
  int mobile = -1;  // pages with a mobile image; all when negative
  std::string title = "Bookstub demo book";
  int plainWidth = 0;
  int plainHeight = 0;
};

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string EncodedBytes(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes.toStdString();
}

std::string PngBytes(const QImage& image) {
  return EncodedBytes(image, "PNG");
}

std::string JpegBytes(const QImage& image) {
  return EncodedBytes(image, "JPG");
}

std::string PageFileName(int index, const char* extension) {
  char name[64];
  std::snprintf(name, sizeof name, "page_%04d%s", index, extension);
  return name;
}

std::string PageName(int index) {
  return "res/pages/" + PageFileName(index, ".png");
}

// Drawn at `zoom` times the page size, for the higher-resolution mobile image.
QImage DemoPage(int index, int count, const std::string& title, int zoom = 1) {
  constexpr int kWidth = 500;
  constexpr int kHeight = 700;
  QImage page(kWidth * zoom, kHeight * zoom, QImage::Format_RGB32);
  const QColor tint = QColor::fromHsv((index * 47) % 360, 90, 245);
  QLinearGradient gradient(0, 0, 0, kHeight);
  gradient.setColorAt(0, Qt::white);
  gradient.setColorAt(1, tint);
  QPainter painter(&page);
  painter.scale(zoom, zoom);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(QRect(0, 0, kWidth, kHeight), gradient);
  painter.setPen(QPen(tint.darker(160), 6));
  painter.drawRect(QRect(0, 0, kWidth, kHeight).adjusted(12, 12, -12, -12));

  painter.setPen(QColor(40, 40, 60));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 20, QFont::Bold));
  painter.drawText(QRect(30, 40, kWidth - 60, 60), Qt::AlignCenter, QString::fromStdString(title));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 140, QFont::Bold));
  painter.setPen(tint.darker(200));
  painter.drawText(QRect(0, 180, kWidth, 260), Qt::AlignCenter, QString::number(index + 1));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
  painter.setPen(QColor(60, 60, 80));
  painter.drawText(QRect(40, 500, kWidth - 80, 120), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Page %1 of %2. Turn pages with the arrow keys or the buttons, "
                                  "zoom with + and - or the wheel; Esc leaves full screen.")
                       .arg(index + 1)
                       .arg(count));
  return page;
}

// A second of silence as MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, mono): a header, then
// side information and data all zero, which decoders play as silence.
std::string SilentMp3() {
  constexpr int kFrameBytes = 417;
  constexpr int kFrames = 39;
  std::string frame(kFrameBytes, '\0');
  frame[0] = '\xFF';
  frame[1] = '\xFB';
  frame[2] = '\x90';
  frame[3] = '\xC0';
  std::string sound;
  for (int i = 0; i < kFrames; ++i) sound += frame;
  return sound;
}

testsupport::PageSpec PlainPage(int index, const Options& options) {
  QImage picture(options.plainWidth, options.plainHeight, QImage::Format_RGB32);
  picture.fill(Qt::red);
  testsupport::ElementSpec element("img",
                                   testsupport::FileSpec(PageName(index), PngBytes(picture)));
  element.width = picture.width();
  element.height = picture.height();
  return testsupport::PageSpec({std::move(element)});
}

testsupport::PageSpec DemoBookPage(int index, const Options& options) {
  const QImage picture = DemoPage(index, options.pages, options.title);
  testsupport::ElementSpec element("img",
                                   testsupport::FileSpec(PageName(index), PngBytes(picture)));
  element.width = picture.width();
  element.height = picture.height();
  testsupport::PageSpec page({std::move(element)});
  if (index == 1) {
    testsupport::ElementSpec link("area", testsupport::FileSpec());
    link.left = 40;
    link.top = 500;
    link.width = 420;
    link.height = 120;
    link.url = "https://example.org/";
    page.elements.push_back(std::move(link));
  }
  if (options.mobile < 0 || index < options.mobile) {
    const QImage large = DemoPage(index, options.pages, options.title, 2);
    page.mobile =
        testsupport::FileSpec("res/mobile/" + PageFileName(index, ".jpg"), JpegBytes(large));
    page.mobilefile1 = "page.jpg";
    page.photoviewthumb = "thumb.jpg";
  }
  return page;
}

testsupport::BookSpec DemoBookSpec(const Options& options) {
  testsupport::BookSpec bookSpec;
  bookSpec.stubImage = ReadFile(options.player);
  bookSpec.exetitle = options.title;
  bookSpec.preloader = testsupport::FileSpec("book.swf", ReadFile(options.movie));
  const bool plain = options.plainWidth > 0;
  for (int i = 0; i < options.pages; ++i)
    bookSpec.pages.push_back(plain ? PlainPage(i, options) : DemoBookPage(i, options));
  if (plain) return bookSpec;
  bookSpec.bgsound = testsupport::FileSpec("bg.mp3", SilentMp3());
  bookSpec.bookmarks = {{"Cover", 1},
                        {"Second page", 2},
                        {"Middle", (options.pages + 1) / 2},
                        {"Last page", options.pages}};
  return bookSpec;
}

// The table of contents is written from the book document the package carries, as the authoring
// step does, so the book is built twice: once for the document, then with the contents.
testsupport::BuiltBook BuildDemoBook(const Options& options) {
  testsupport::BookSpec bookSpec = DemoBookSpec(options);
  TMBook book;
  book.LoadFromStream(testsupport::BuildBook(bookSpec).bookXml);
  bookSpec.toc = testsupport::FileSpec(kTableOfContentsName, WriteTableOfContents(book));
  return testsupport::BuildBook(bookSpec);
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  std::map<std::string, std::string> values;
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) values[args[i]] = args[i + 1];
  if (args.size() % 2 != 0 || !values.contains("--player") || !values.contains("--movie") ||
      !values.contains("--output")) {
    throw std::runtime_error(
        "usage: bookstub-make-book --player <exe> --movie <book.swf> --output <file> "
        "[--pages N] [--mobile N] [--title TEXT] [--plain-pages WIDTHxHEIGHT]");
  }
  options.player = values["--player"];
  options.movie = values["--movie"];
  options.output = values["--output"];
  if (values.contains("--pages")) options.pages = std::stoi(values["--pages"]);
  if (values.contains("--mobile")) options.mobile = std::stoi(values["--mobile"]);
  if (values.contains("--title")) options.title = values["--title"];
  if (values.contains("--plain-pages")) {
    const std::string size = values["--plain-pages"];
    const auto x = size.find('x');
    if (x == std::string::npos) throw std::runtime_error("--plain-pages wants WIDTHxHEIGHT");
    options.plainWidth = std::stoi(size.substr(0, x));
    options.plainHeight = std::stoi(size.substr(x + 1));
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  // Fonts for the page texts, without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  try {
    const Options options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    BuildDemoBook(options).WriteTo(options.output);
    fs::permissions(options.output,
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    std::cout << "Wrote " << options.output.string() << " (" << options.pages << " pages)\n";
    return 0;
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
}
