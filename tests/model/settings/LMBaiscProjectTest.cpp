// The generic machinery of the settings base classes, exercised through small classes declared
// here: inherited tables, lists, Assign and ownership.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/settings/LMBaiscProject.h"
#include "model/settings/LMProjects.h"
#include "platform/Xml.h"
#include "util/Error.h"

namespace {

class TestItem : public TModelClass<TestItem, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo() {
    static const auto& info =
        Table("TestItem").Prop("number", &TestItem::number).Prop("label", &TestItem::label).Build();
    return info;
  }

  std::int32_t number = 7;
  std::string label = "x";
};

class TestSpecialItem : public TModelClass<TestSpecialItem, TestItem> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo() {
    static const auto& info = Table("TestSpecialItem")
                                 .Prop("special", &TestSpecialItem::special)
                                 .DefaultOf("label", std::string("special"))
                                 .Build();
    return info;
  }

  bool special = true;
};

class TestItems : public TLMBasicProjects {
 public:
  explicit TestItems(const void* owner = nullptr) : TLMBasicProjects(owner) {
    SetItemClass(TestItem::StaticClassInfo());
  }
};

class TestHolder : public TModelClass<TestHolder, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo() {
    using C = TestHolder;
    static const auto& info = Table("TestHolder")
                                 .Prop("items", &C::items)
                                 .Prop("bar", &C::bar)
                                 .Prop("big", &C::big)
                                 .Build();
    return info;
  }

  std::unique_ptr<TestItems> items = std::make_unique<TestItems>(this);
  std::unique_ptr<TLMNavBar> bar = std::make_unique<TLMNavBar>(this);
  std::int64_t big = 5;
};

void LoadXml(TLMBasicProject& object, const std::string& xml) {
  platform::XmlDocument document;
  document.LoadFromText(xml);
  object.LoadFromXML(document.DocumentElement());
}

TEST(SettingsClassInfo, InheritedPropertiesComeFirstAndLookupIgnoresCase) {
  const TLMClassInfo& info = TestSpecialItem::StaticClassInfo();
  ASSERT_EQ(info.Properties().size(), 3u);
  EXPECT_EQ(info.Properties()[0]->name, "number");
  EXPECT_EQ(info.Properties()[2]->name, "special");
  EXPECT_EQ(info.Find("LABEL"), info.Properties()[1]);
  EXPECT_EQ(info.Find("labe"), nullptr);
  EXPECT_EQ(info.Find(""), nullptr);

  const TestSpecialItem item;
  EXPECT_EQ(item.number, 7);
  EXPECT_EQ(item.label, "special");  // the derived table's default for an inherited property
  EXPECT_TRUE(item.special);
}

TEST(SettingsList, LoadReplacesItemsWithOnePerChildElement) {
  TestHolder holder;
  holder.items->Add(std::make_unique<TestItem>());
  LoadXml(holder,
          "<h><items><a><number>1</number></a><!-- c -->text<b label=\"two\"/>"
          "<c><label>three</label></c></items></h>");
  ASSERT_EQ(holder.items->Count(), 3);
  const auto& first = static_cast<const TestItem&>(holder.items->Items(0));
  const auto& second = static_cast<const TestItem&>(holder.items->Items(1));
  EXPECT_EQ(first.number, 1);
  EXPECT_EQ(first.label, "x");
  EXPECT_EQ(second.label, "two");
  EXPECT_EQ(second.number, 7);
  EXPECT_EQ(first.Owner(), holder.items.get());
  EXPECT_EQ(holder.items->Owner(), &holder);

  LoadXml(holder, "<h><items/></h>");
  EXPECT_EQ(holder.items->Count(), 0);
}

TEST(SettingsList, BadIndexRaises) {
  TestItems items;
  items.Add(std::make_unique<TestItem>());
  try {
    items.Items(1);
    FAIL() << "no error raised";
  } catch (const Error& error) {
    EXPECT_EQ(error.Message(), "List index out of bounds (1)");
  }
  EXPECT_THROW(items.Items(-1), Error);
}

TEST(SettingsList, ListWithoutItemClassRefusesToLoad) {
  TLMBasicProjects list;
  platform::XmlDocument document;
  document.LoadFromText("<l><a/></l>");
  EXPECT_THROW(list.LoadFromXML(document.DocumentElement()), Error);
  EXPECT_EQ(list.Count(), 0);
}

TEST(SettingsAssign, RebuildsListsWithEachItemsOwnClass) {
  TestHolder source;
  auto special = std::make_unique<TestSpecialItem>();
  special->number = 3;
  special->special = false;
  source.items->Add(std::move(special));
  source.bar->height = 99;
  source.big = 1234567890123;

  TestHolder target;
  target.items->Add(std::make_unique<TestItem>());
  target.items->Add(std::make_unique<TestItem>());
  target.Assign(source);

  ASSERT_EQ(target.items->Count(), 1);
  const auto* copy = dynamic_cast<const TestSpecialItem*>(&target.items->Items(0));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->number, 3);
  EXPECT_FALSE(copy->special);
  EXPECT_EQ(copy->Owner(), target.items.get());
  EXPECT_NE(copy, &source.items->Items(0));
  EXPECT_EQ(target.bar->height, 99);
  EXPECT_EQ(target.big, 1234567890123);
}

TEST(SettingsAssign, SelfAssignKeepsTheList) {
  TestHolder holder;
  holder.items->Add(std::make_unique<TestItem>());
  holder.Assign(holder);
  holder.items->Assign(*holder.items);
  EXPECT_EQ(holder.items->Count(), 1);
}

TEST(SettingsAssign, DifferentClassRaises) {
  TestItem item;
  const TestSpecialItem special;
  EXPECT_THROW(item.Assign(special), Error);
  TLMLogo logo;
  EXPECT_THROW(logo.Assign(TLMToc()), Error);
}

}  // namespace
