// List operations of the book model and the page list's move of a set of pages.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "BookTestSupport.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "util/Error.h"

namespace {

// A page list whose pages carry their labels in `print`; each page holds one picture.
std::unique_ptr<TMPages> Pages(const std::vector<std::string>& labels) {
  auto pages = std::make_unique<TMPages>();
  for (const std::string& label : labels) {
    auto page = std::make_unique<TMPage>(pages.get());
    page->print = label;
    page->elem->Add(std::make_unique<TMImg>(page->elem.get()));
    pages->Add(std::move(page));
  }
  return pages;
}

std::string Labels(const TMPages& pages) {
  std::string result;
  for (int i = 0; i < pages.Count(); ++i) result += (i ? " " : "") + pages.Items(i).print;
  return result;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.Message();
  }
  return "no error";
}

TEST(ListOperations, DeleteExchangeAndMoveReorderTheItems) {
  const auto pages = Pages({"A", "B", "C", "D", "E"});
  pages->Exchange(0, 4);
  EXPECT_EQ(Labels(*pages), "E B C D A");
  pages->Move(0, 3);
  EXPECT_EQ(Labels(*pages), "B C D E A");
  pages->Move(4, 0);
  EXPECT_EQ(Labels(*pages), "A B C D E");
  pages->Delete(2);
  EXPECT_EQ(Labels(*pages), "A B D E");
}

TEST(ListOperations, BadIndexesRaiseTheListIndexError) {
  const auto pages = Pages({"A", "B", "C"});
  EXPECT_EQ(ErrorOf([&] { pages->Items(3); }), "List index out of bounds (3)");
  EXPECT_EQ(ErrorOf([&] { pages->Items(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf([&] { pages->Delete(3); }), "List index out of bounds (3)");
  EXPECT_EQ(ErrorOf([&] { pages->Exchange(0, 7); }), "List index out of bounds (7)");
  EXPECT_EQ(ErrorOf([&] { pages->Move(0, 3); }), "List index out of bounds (3)");
  EXPECT_EQ(Labels(*pages), "A B C");
}

TEST(ListOperations, AddTakesOnlyItemsOfTheItemClass) {
  TMPages pages;
  EXPECT_EQ(pages.Add(std::make_unique<TMPage>(&pages)), 0);
  EXPECT_THROW(pages.Add(std::make_unique<TMChapter>(&pages)), Error);
  EXPECT_THROW(pages.Add(nullptr), Error);
  TBasicVisualPageElements elem;
  EXPECT_EQ(elem.Add(std::make_unique<TMVid>(&elem)), 0);
  EXPECT_EQ(elem.Add(std::make_unique<TBasicVisualPageElement>(&elem)), 1);
  EXPECT_THROW(elem.Add(std::make_unique<TMBasicPageElement>(&elem)), Error);
  EXPECT_NE(dynamic_cast<TMVid*>(&elem.Items(0)), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Moving a set of pages

struct MoveCase {
  std::string label;
  std::vector<std::string> indexes;
  int target;
  std::string expected;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const MoveCase& c, std::ostream* os) {
  *os << c.label;
}

class MovePages : public testing::TestWithParam<MoveCase> {};

TEST_P(MovePages, MovesCopiesToTheTargetAndRemovesTheOriginals) {
  const MoveCase& c = GetParam();
  const auto pages = Pages({"A", "B", "C", "D", "E"});
  pages->MovePages(c.indexes, c.target);
  EXPECT_EQ(Labels(*pages), c.expected);
  for (int i = 0; i < pages->Count(); ++i) {
    EXPECT_EQ(pages->Items(i).elem->Count(), 1);
    EXPECT_EQ(pages->Items(i).Owner(), pages.get());
  }
}

INSTANTIATE_TEST_SUITE_P(Sets, MovePages,
                         testing::Values(MoveCase{"TwoToTheFront", {"1", "3"}, 0, "B D A C E"},
                                         MoveCase{"UnsortedToTheEnd", {"3", "1"}, 5, "A C E B D"},
                                         MoveCase{"AroundTheTarget", {"4", "0"}, 2, "B A E C D"},
                                         MoveCase{"OntoItself", {"2"}, 2, "A B C D E"},
                                         MoveCase{"OneForward", {"1"}, 4, "A C D B E"},
                                         MoveCase{"Nothing", {}, 3, "A B C D E"},
                                         MoveCase{"SameIndexTwice", {"1", "1"}, 0, "B A C D E"}),
                         [](const auto& info) { return info.param.label; });

TEST(MovePagesOrder, IndexesAreSortedAsNumbersNotAsTexts) {
  std::vector<std::string> labels;
  for (int i = 0; i < 12; ++i) labels.push_back("p" + std::to_string(i));
  const auto pages = Pages(labels);
  pages->MovePages({"10", "2"}, 0);
  EXPECT_EQ(Labels(*pages), "p2 p10 p0 p1 p3 p4 p5 p6 p7 p8 p9 p11");
}

TEST(MovePagesOrder, CopiesKeepEveryPropertyAndTheSpreadPageName) {
  const auto pages = Pages({"A", "B"});
  pages->Items(1).SetIsSimplePage(true);
  pages->Items(1).pos_mobilefile2 = 77;
  const auto before = Pages({});
  before->Assign(*pages);
  pages->MovePages({"1"}, 0);
  EXPECT_EQ(booktest::DeepDifference(pages->Items(0), before->Items(1)), "");
  EXPECT_EQ(pages->Items(0).ElementName(), "spreadpage");
}

TEST(MovePagesOrder, BadRequestsRaiseAndLeaveTheListUntouched) {
  const auto pages = Pages({"A", "B", "C"});
  EXPECT_EQ(ErrorOf([&] { pages->MovePages({"1", "x"}, 0); }), "'x' is not a valid integer value");
  for (const char* notDecimal : {"$2", "0x2", "x2", " 2", "2 ", "+2", ""})
    EXPECT_EQ(ErrorOf([&] { pages->MovePages({notDecimal}, 0); }),
              "'" + std::string(notDecimal) + "' is not a valid integer value");
  EXPECT_EQ(ErrorOf([&] { pages->MovePages({"0", "3"}, 0); }), "List index out of bounds (3)");
  EXPECT_EQ(ErrorOf([&] { pages->MovePages({"0"}, 4); }), "List index out of bounds (4)");
  EXPECT_EQ(Labels(*pages), "A B C");
}

}  // namespace
