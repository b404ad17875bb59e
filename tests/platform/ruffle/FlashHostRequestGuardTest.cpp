#include "platform/ruffle/FlashHostRequestGuard.h"

#include <gtest/gtest.h>

#include "platform/ruffle/FlashHostSchemeHandler.h"

namespace {

using platform::FlashHostRequestGuard;
using platform::FlashHostSchemeHandler;

// What the page may load, and which of those is the page itself (the one document it may show).
struct AddressCase {
  const char* url;
  bool loads;
  bool isHostPage;
};

class FlashHostAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(FlashHostAddressTest, OnlyTheHostSchemeAndHostLoad) {
  const QUrl url(QString::fromUtf8(GetParam().url));
  EXPECT_EQ(FlashHostRequestGuard::IsHostUrl(url), GetParam().loads);
  EXPECT_EQ(FlashHostSchemeHandler::IsHostPageUrl(url), GetParam().isHostPage);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, FlashHostAddressTest,
    testing::Values(AddressCase{"bookstub://player/host/index.html", true, true},
                    AddressCase{"bookstub://player/host/index.html?movie=x", true, true},
                    AddressCase{"BOOKSTUB://PLAYER/host/index.html", true, true},
                    AddressCase{"bookstub://player/host/ruffle/ruffle.js", true, false},
                    AddressCase{"bookstub://player/book/res/page.png", true, false},
                    AddressCase{"bookstub://player/book/evil.html", true, false},
                    AddressCase{"bookstub://player/host/index.html#top", true, false},
                    AddressCase{"bookstub://other/host/index.html", false, false},
                    AddressCase{"bookstub://user@player/host/index.html", false, false},
                    AddressCase{"bookstub://player:8080/host/index.html", false, false},
                    AddressCase{"file:///etc/passwd", false, false},
                    AddressCase{"file:///home/", false, false},
                    AddressCase{"qrc:/bookstub/host/index.html", false, false},
                    AddressCase{"http://127.0.0.1:8080/", false, false},
                    AddressCase{"https://example.com/bookstub://player/", false, false},
                    AddressCase{"ws://127.0.0.1/", false, false},
                    AddressCase{"data:text/html,<p>x</p>", false, false},
                    AddressCase{"blob:bookstub://player/0c1f", false, false},
                    AddressCase{"javascript:alert(1)", false, false},
                    AddressCase{"", false, false}));

}  // namespace
