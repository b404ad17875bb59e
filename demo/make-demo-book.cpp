// bookstub-make-book: appends a book package to a copy of the player, as the authoring step
// does, using the test fixtures' package layout. The pages are generated pictures.
//   bookstub-make-book --player <bookstub-player> --movie <book.swf> --output <file>
//                      [--pages N] [--title TEXT] [--plain-pages WIDTHxHEIGHT]
// Pages are drawn as numbered demo pages of 500 x 700 pixels, or, with --plain-pages, as plain
// red pictures of the given size (for tests that look for them on screen).
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

#include "tests/support/BookFixture.h"

namespace {

namespace fs = std::filesystem;

struct Options {
  fs::path player;
  fs::path movie;
  fs::path output;
  int pages = 6;
  std::string title = "Bookstub demo book";
  int plainWidth = 0;
  int plainHeight = 0;
};

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

QImage DemoPage(int index, int count, const std::string& title) {
  constexpr int kWidth = 500;
  constexpr int kHeight = 700;
  QImage page(kWidth, kHeight, QImage::Format_RGB32);
  const QColor tint = QColor::fromHsv((index * 47) % 360, 90, 245);
  QLinearGradient gradient(0, 0, 0, kHeight);
  gradient.setColorAt(0, Qt::white);
  gradient.setColorAt(1, tint);
  QPainter painter(&page);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(page.rect(), gradient);
  painter.setPen(QPen(tint.darker(160), 6));
  painter.drawRect(page.rect().adjusted(12, 12, -12, -12));

  painter.setPen(QColor(40, 40, 60));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 20, QFont::Bold));
  painter.drawText(QRect(30, 40, kWidth - 60, 60), Qt::AlignCenter, QString::fromStdString(title));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 140, QFont::Bold));
  painter.setPen(tint.darker(200));
  painter.drawText(QRect(0, 180, kWidth, 260), Qt::AlignCenter, QString::number(index + 1));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
  painter.setPen(QColor(60, 60, 80));
  painter.drawText(QRect(40, 500, kWidth - 80, 120), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Page %1 of %2. Turn pages with the arrow keys or the buttons; "
                                  "Esc leaves full screen.")
                       .arg(index + 1)
                       .arg(count));
  return page;
}

std::string TableOfContents(const Options& options) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<toc title=\"" +
                    testsupport::EscapeXml(options.title) + "\">\n";
  for (int i = 0; i < options.pages; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "res/pages/page_%04d.png", i);
    xml += std::string("  <page src=\"") + name + "\"/>\n";
  }
  return xml + "</toc>\n";
}

testsupport::BuiltBook BuildDemoBook(const Options& options) {
  testsupport::BookSpec bookSpec;
  bookSpec.stubImage = ReadFile(options.player);
  bookSpec.exetitle = options.title;
  bookSpec.preloader = testsupport::FileSpec("book.swf", ReadFile(options.movie));
  bookSpec.toc = testsupport::FileSpec("toc.xml", TableOfContents(options));
  for (int i = 0; i < options.pages; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "res/pages/page_%04d.png", i);
    QImage picture;
    if (options.plainWidth > 0) {
      picture = QImage(options.plainWidth, options.plainHeight, QImage::Format_RGB32);
      picture.fill(Qt::red);
    } else {
      picture = DemoPage(i, options.pages, options.title);
    }
    testsupport::ElementSpec element("img", testsupport::FileSpec(name, PngBytes(picture)));
    element.width = picture.width();
    element.height = picture.height();
    testsupport::PageSpec page;
    page.elements.push_back(std::move(element));
    bookSpec.pages.push_back(std::move(page));
  }
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
        "[--pages N] [--title TEXT] [--plain-pages WIDTHxHEIGHT]");
  }
  options.player = values["--player"];
  options.movie = values["--movie"];
  options.output = values["--output"];
  if (values.contains("--pages")) options.pages = std::stoi(values["--pages"]);
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
