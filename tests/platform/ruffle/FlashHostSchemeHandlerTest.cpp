#include "platform/ruffle/FlashHostSchemeHandler.h"

#include <gtest/gtest.h>

namespace {

// The player hands the host page the movie's address (web/host.js reads it as a URL); names
// with blanks, '&', '+', '%', '?', '#' or non-ASCII letters must come back as the same file.
TEST(FlashHostMovieUrl, NamesTheMovieFileIntact) {
  const std::pair<const char*, const char*> cases[] = {
      {"book.swf", "bookstub://player/book/book.swf"},
      {"a b&c+d%e.swf", "bookstub://player/book/a%20b&c+d%25e.swf"},
      {"q?x#y.swf", "bookstub://player/book/q%3Fx%23y.swf"},
      {"k\xC3\xB6nig.swf", "bookstub://player/book/k%C3%B6nig.swf"},
  };
  for (const auto& [name, encoded] : cases) {
    const QUrl movie = platform::FlashHostSchemeHandler::MovieUrl(std::filesystem::path(name));
    EXPECT_EQ(movie.toString(QUrl::FullyEncoded).toStdString(), encoded) << name;
    EXPECT_EQ(QUrl(movie.toString(QUrl::FullyEncoded)).path().toStdString(),
              std::string("/book/") + name)
        << name;
  }
}

}  // namespace
