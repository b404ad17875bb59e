// bookstub-make-test-book: appends a book of plain red pages with a given movie to a copy of the
// player, built by the test fixtures' package builder (for the end-to-end tests whose movie is
// generated; books with the viewer movie are made with `bookstub make`).
//   bookstub-make-test-book --player <bookstub-player> --movie <book.swf> --output <file>
//                           --pages N --plain-pages WIDTHxHEIGHT [--title TEXT]
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
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
  int pages = 1;
  std::string title = "Test book";
  int width = 0;
  int height = 0;
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

testsupport::PageSpec PlainPage(int index, const std::string& png, const Options& options) {
  char name[64];
  std::snprintf(name, sizeof name, "res/pages/page_%04d.png", index);
  testsupport::ElementSpec element("img", testsupport::FileSpec(name, png));
  element.width = options.width;
  element.height = options.height;
  return testsupport::PageSpec({std::move(element)});
}

Options ParseOptions(const std::vector<std::string>& args) {
  std::map<std::string, std::string> values;
  for (std::size_t i = 0; i + 1 < args.size(); i += 2) values[args[i]] = args[i + 1];
  for (const char* required : {"--player", "--movie", "--output", "--pages", "--plain-pages"})
    if (args.size() % 2 != 0 || !values.contains(required))
      throw std::runtime_error(
          "usage: bookstub-make-test-book --player <exe> --movie <book.swf> --output <file> "
          "--pages N --plain-pages WIDTHxHEIGHT [--title TEXT]");
  Options options;
  options.player = values["--player"];
  options.movie = values["--movie"];
  options.output = values["--output"];
  options.pages = std::stoi(values["--pages"]);
  if (values.contains("--title")) options.title = values["--title"];
  const std::string size = values["--plain-pages"];
  const auto x = size.find('x');
  if (x == std::string::npos) throw std::runtime_error("--plain-pages wants WIDTHxHEIGHT");
  options.width = std::stoi(size.substr(0, x));
  options.height = std::stoi(size.substr(x + 1));
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  try {
    const Options options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    QImage picture(options.width, options.height, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const std::string png = PngBytes(picture);
    testsupport::BookSpec book;
    book.stubImage = ReadFile(options.player);
    book.exetitle = options.title;
    book.preloader = testsupport::FileSpec("book.swf", ReadFile(options.movie));
    for (int i = 0; i < options.pages; ++i) book.pages.push_back(PlainPage(i, png, options));
    testsupport::BuildBook(book).WriteTo(options.output);
    fs::permissions(options.output,
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    return 0;
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
}
