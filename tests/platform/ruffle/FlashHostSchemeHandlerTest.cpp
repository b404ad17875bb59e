#include "platform/ruffle/FlashHostSchemeHandler.h"

#include <gtest/gtest.h>

#include <QUrlQuery>

namespace {

// The page reads the movie's address back from its "movie" parameter (web/player-options.js);
// names with blanks, '&', '+', '%' or non-ASCII letters must survive the trip.
TEST(FlashHostPageUrl, CarriesTheMovieAddressIntact) {
  const std::pair<const char*, const char*> cases[] = {
      {"book.swf", "bookstub://player/book/book.swf"},
      {"a b&c+d%e.swf", "bookstub://player/book/a%20b&c+d%25e.swf"},
      {"k\xC3\xB6nig.swf", "bookstub://player/book/k%C3%B6nig.swf"},
  };
  for (const auto& [name, movie] : cases) {
    const QUrl page = platform::FlashHostSchemeHandler::PageUrl(std::filesystem::path(name));
    EXPECT_EQ(page.scheme(), "bookstub");
    EXPECT_EQ(page.host(), "player");
    EXPECT_EQ(page.path(), "/host/index.html");
    const QString carried = QUrlQuery(page).queryItemValue("movie", QUrl::FullyDecoded);
    EXPECT_EQ(carried.toStdString(), movie) << name;
    EXPECT_EQ(QUrl(carried).path().toStdString(), std::string("/book/") + name) << name;
  }
}

}  // namespace
