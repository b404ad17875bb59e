// Addresses written into the documents' text: only the address numbers change, missing pairs
// are added where the readers look for them, and limits are refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "authoring/AddressedDocuments.h"
#include "util/Error.h"

namespace {

const char* const kProject =
    "<?xml version=\"1.0\"?>\n<project>\n  <exetitle>T &amp; U</exetitle>\n"
    "  <logo><filename>l.png</filename><pos_>12</pos_><size_/></logo>\n"
    "  <navbar pos_=\"0\" size_=\"0\"><topfile>t.png</topfile></navbar>\n</project>\n";

const char* const kBook =
    "<?xml version=\"1.0\"?>\n<!-- <page pos_search_=\"9\"/> -->\n"
    "<book  title='a &amp; b' pos_search_ = '5'  size_search_=\"6\" searchindex=\"s.xml\">"
    "<![CDATA[ pos_=\"7\" ]]><Chapters><chapter bgsound=\"m.mp3\" pos_=\"0\"/></Chapters></book>";

constexpr auto kFill = TAddressedDocuments::TUse::Fill;
constexpr auto kMove = TAddressedDocuments::TUse::Move;

std::size_t IndexOf(const TAddressedDocuments& documents, const std::string& property) {
  const auto& blobs = documents.Blobs();
  for (std::size_t i = 0; i < blobs.size(); ++i)
    if (blobs[i].property == property) return i;
  ADD_FAILURE() << "no blob " << property;
  return 0;
}

TEST(AddressedDocumentsTest, OnlyTheAddressNumbersChangeAndMissingPairsAreAdded) {
  const TAddressedDocuments documents(kProject, kBook, "project", "book", kFill);
  std::vector<BlobAddress> addresses(documents.Blobs().size());
  addresses[IndexOf(documents, "logo")] = {100, 20};
  addresses[IndexOf(documents, "navbar")] = {110, 10};
  addresses[IndexOf(documents, "pos_search_")] = {200, 30};
  addresses[IndexOf(documents, "Chapters[0].bgsound")] = {300, 40};
  addresses[IndexOf(documents, "pos_mag_")] = {0xF0000000u, 8};
  const TDocumentTexts texts = documents.WithAddresses(addresses);
  EXPECT_EQ(texts.project,
            "<?xml version=\"1.0\"?>\n<project pos_mag_=\"$F0000000\" size_mag_=\"8\">\n"
            "  <exetitle>T &amp; U</exetitle>\n"
            "  <logo><filename>l.png</filename><pos_>100</pos_><size_>20</size_></logo>\n"
            "  <navbar pos_=\"110\" size_=\"10\"><topfile>t.png</topfile></navbar>\n</project>\n");
  EXPECT_EQ(texts.book,
            "<?xml version=\"1.0\"?>\n<!-- <page pos_search_=\"9\"/> -->\n"
            "<book  title='a &amp; b' pos_search_ = '200'  size_search_=\"30\" "
            "searchindex=\"s.xml\"><![CDATA[ pos_=\"7\" ]]><Chapters>"
            "<chapter bgsound=\"m.mp3\" pos_=\"300\" size_=\"40\"/></Chapters></book>");
}

TEST(AddressedDocumentsTest, MovingChangesNonZeroPositionsOnly) {
  const TAddressedDocuments documents(kProject, kBook, "project", "book", kMove);
  const TDocumentTexts texts = documents.WithMovedPositions(4, 1004);
  std::string project = kProject;
  project.replace(project.find("<pos_>12"), 8, "<pos_>1012");
  std::string book = kBook;
  book.replace(book.find("'5'"), 3, "'1005'");
  EXPECT_EQ(texts.project, project);
  EXPECT_EQ(texts.book, book);
}

struct LimitCase {
  const char* label;
  const char* project;
  std::uint64_t to;
  bool refused;
};

void PrintTo(const LimitCase& c, std::ostream* out) {
  *out << c.label;
}

class MoveLimitTest : public ::testing::TestWithParam<LimitCase> {};

const char* const kSignedAt9 = "<project><navbar><pos_>9</pos_><size_>4</size_></navbar></project>";

// The book's search index ends at 5 and the signed navbar pair at 9: the navbar may end at
// 2 GiB - 1 at most, the search index at 4 GiB - 1.
TEST_P(MoveLimitTest, RefusesPositionsPastTheirLimit) {
  const TAddressedDocuments documents(GetParam().project, kBook, "project", "book", kMove);
  if (GetParam().refused)
    EXPECT_THROW(documents.WithMovedPositions(0, GetParam().to), Error);
  else
    EXPECT_NO_THROW(documents.WithMovedPositions(0, GetParam().to));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, MoveLimitTest,
    ::testing::Values(LimitCase{"SignedAtLimit", kSignedAt9, 0x7FFFFFFFu - 9, false},
                      LimitCase{"SignedPastLimit", kSignedAt9, 0x7FFFFFFFu - 8, true},
                      LimitCase{"UnsignedAtLimit", "<project/>", 0xFFFFFFFFu - 5, false},
                      LimitCase{"UnsignedPastLimit", "<project/>", 0xFFFFFFFFu - 4, true}),
    [](const auto& info) { return std::string(info.param.label); });

struct BadText {
  const char* label;
  std::string text;
};

void PrintTo(const BadText& c, std::ostream* out) {
  *out << c.label;
}

class BadTextTest : public ::testing::TestWithParam<BadText> {};

TEST_P(BadTextTest, IsRefused) {
  EXPECT_THROW(TAddressedDocuments(GetParam().text, kBook, "project", "book", kFill), Error);
}

INSTANTIATE_TEST_SUITE_P(Texts, BadTextTest,
                         ::testing::Values(BadText{"Utf16",
                                                   std::string("\xFF\xFE<\0p\0/\0>\0", 10)},
                                           BadText{"NotXml", "<project"}, BadText{"Empty", ""}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
