// The shared property-table machinery, exercised through small classes of the settings model:
// defaults a table gives to inherited properties, and Assign of held objects and lists.

#include "model/PropertyTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/settings/LMBaiscProject.h"
#include "util/Error.h"

namespace {

class Base : public TModelClass<Base, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo() {
    static const auto& info = Table("Base").Prop("level", &Base::level).Build();
    return info;
  }
  std::int32_t level = 1;
};

class Middle : public TModelClass<Middle, Base> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo() {
    static const auto& info = Table("Middle").DefaultOf("level", std::int32_t{2}).Build();
    return info;
  }
};

class Leaf : public TModelClass<Leaf, Middle> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo() {
    static const auto& info =
        Table("Leaf").Prop("own", &Leaf::own).DefaultOf("level", std::int32_t{3}).Build();
    return info;
  }
  std::int32_t own = 4;
};

class BaseItems : public TLMBasicProjects {
 public:
  explicit BaseItems(const void* owner = nullptr) : TLMBasicProjects(owner) {
    SetItemClass(Base::StaticClassInfo());
  }
};

class Holder : public TModelClass<Holder, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo() {
    static const auto& info =
        Table("Holder").Prop("leaf", &Holder::leaf).Prop("items", &Holder::items).Build();
    return info;
  }
  std::unique_ptr<Leaf> leaf = std::make_unique<Leaf>(this);
  std::unique_ptr<BaseItems> items = std::make_unique<BaseItems>(this);
};

TEST(PropertyTableDefaults, TheMostDerivedTableDecidesAnInheritedDefault) {
  EXPECT_EQ(Base().level, 1);
  EXPECT_EQ(Middle().level, 2);
  const Leaf leaf;
  EXPECT_EQ(leaf.level, 3);
  EXPECT_EQ(leaf.own, 4);
}

TEST(PropertyTableDefaults, ATableDefaultForAnOwnOrUnknownPropertyIsRefused) {
  // An own member is constructed after the table's defaults are applied, so such a default
  // would be silently lost.
  for (const char* name : {"own", "missing"}) {
    auto builder = TPropTableBuilder<TSettingsModel, Leaf>("Leaf", &Middle::StaticClassInfo());
    builder.Prop("own", &Leaf::own).DefaultOf(name, std::int32_t{9});
    EXPECT_THROW(builder.Build(), Error) << name;
  }
}

TEST(PropertyTableAssign, RecreatesHeldObjectsACallerResetAndKeepsItemClasses) {
  Holder source;
  source.leaf->own = 40;
  source.items->Add(std::make_unique<Leaf>());
  Holder target;
  target.leaf.reset();
  target.items.reset();

  target.Assign(source);

  ASSERT_NE(target.leaf, nullptr);
  EXPECT_EQ(target.leaf->own, 40);
  EXPECT_EQ(target.leaf->Owner(), &target);
  ASSERT_NE(target.items, nullptr);
  ASSERT_EQ(target.items->Count(), 1);
  EXPECT_EQ(&target.items->Items(0).ClassInfo(), &Leaf::StaticClassInfo());

  // A source whose held object was reset leaves the target's as it is.
  source.leaf.reset();
  target.Assign(source);
  ASSERT_NE(target.leaf, nullptr);
  EXPECT_EQ(target.leaf->own, 40);
}

}  // namespace
