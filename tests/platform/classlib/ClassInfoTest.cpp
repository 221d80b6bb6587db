#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "tests/platform/classlib/TestClasses.h"

using namespace classlib_test;

namespace {

TEST(ClassInfoTest, NamesAndAncestors) {
  const TClassInfo &c = TTestComponent::StaticClassInfo();
  EXPECT_EQ(c.ClassName(), "TTestComponent");
  EXPECT_EQ(c.AncestorNames(),
            (std::vector<std::string>{"TTestComponent", "TComponent", "TPersistent", "TObject"}));
  EXPECT_TRUE(c.InheritsFrom("TPersistent"));
  EXPECT_FALSE(c.InheritsFrom("tpersistent")); // exact comparison
  EXPECT_TRUE(c.InheritsFrom(TComponent::StaticClassInfo()));
  EXPECT_FALSE(TComponent::StaticClassInfo().InheritsFrom(c));
  TOwnedPtr<TTestComponent> obj(CreateObject<TTestComponent>(nullptr));
  EXPECT_EQ(obj->ClassName(), "TTestComponent");
  EXPECT_TRUE(obj->InheritsFrom("TComponent"));
  EXPECT_EQ(obj->GetAudioFormat()->ClassName(), "TAudioFormat");
}

TEST(ClassInfoTest, PropertiesInDeclarationOrderAncestorsFirst) {
  const TClassInfo &c = TTestComponent::StaticClassInfo();
  std::vector<std::string> names;
  for (const TPropInfo *p : c.ObjectProperties())
    names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"AudioFormat", "OutputPin", "Items"}));
  const TPropInfo *p = c.FindProperty("interval");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Name, "Interval");
  EXPECT_EQ(p->Kind, tkInteger);
  EXPECT_EQ(c.FindProperty("Nothing"), nullptr);
  EXPECT_EQ(c.FindProperty("OutputPin")->PropClass, &TTestPin::StaticClassInfo());
  EXPECT_EQ(c.Properties().front()->Name, "Interval");
}

TEST(ClassInfoTest, TypedAccessorsAndStorageRule) {
  TOwnedPtr<TTestComponent> obj(CreateObject<TTestComponent>(nullptr));
  const TClassInfo &c = obj->ClassInfo();
  const TPropInfo &interval = *c.FindProperty("Interval");
  EXPECT_FALSE(interval.IsStored(obj.get())); // at its default
  interval.SetOrd(obj.get(), 7);
  EXPECT_EQ(obj->Interval, 7);
  EXPECT_TRUE(interval.IsStored(obj.get()));
  EXPECT_THROW(interval.SetOrd(obj.get(), int64_t(1) << 40), ERangeError);
  const TPropInfo &mode = *c.FindProperty("Mode");
  mode.SetOrd(obj.get(), tmOn);
  EXPECT_EQ(obj->Mode, tmOn);
  EXPECT_EQ(mode.ValueNames[1], "tmOn");
  const TPropInfo &caption = *c.FindProperty("Caption");
  EXPECT_FALSE(caption.IsStored(obj.get()));
  caption.SetStr(obj.get(), "x");
  EXPECT_EQ(caption.GetStr(obj.get()), "x");
  EXPECT_TRUE(caption.IsStored(obj.get()));
  EXPECT_EQ(c.FindProperty("OutputPin")->GetObject(obj.get()), obj->GetOutputPin());
  EXPECT_FALSE(c.FindProperty("OutputPin")->Writable());
}

TEST(ClassInfoTest, MethodsBindToTheirObject) {
  TOwnedPtr<TTestForm> form(CreateObject<TTestForm>(nullptr));
  std::any bound = form->ClassInfo().BindMethod(form.get(), "double");
  auto *fn = std::any_cast<std::function<int(int)>>(&bound);
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ((*fn)(21), 42);
  EXPECT_FALSE(form->ClassInfo().BindMethod(form.get(), "Triple").has_value());
  EXPECT_TRUE(form->ClassInfo().HasMethod("AudioInStart"));
}

TEST(ClassInfoTest, RegistryFindsByNameCaseInsensitively) {
  RegisterTestClasses();
  EXPECT_EQ(FindClass("ttestcomponent"), &TTestComponent::StaticClassInfo());
  ASSERT_TRUE(FindClass("TTestComponent")->ComponentFactory());
  EXPECT_FALSE(TAudioFormat::StaticClassInfo().ComponentFactory()); // not a component
  EXPECT_TRUE(TTestItem::StaticClassInfo().ItemFactory());
  UnRegisterClass(TTestComponent::StaticClassInfo());
  EXPECT_EQ(FindClass("TTestComponent"), nullptr);
  RegisterClass(TTestComponent::StaticClassInfo());
  EXPECT_NE(FindClass("TTestComponent"), nullptr);
}

// Two-phase life: the hooks reach the most derived class.
class TBase : public TComponent {
public:
  explicit TBase(TComponent *owner) : TComponent(owner) {}
  void AfterConstruction() override {
    TComponent::AfterConstruction();
    Log().push_back("after construction: " + Describe());
  }
  void BeforeDestruction() override {
    Log().push_back("before destruction: " + Describe());
    TComponent::BeforeDestruction();
  }
  virtual std::string Describe() const { return "base"; }
};

class TDerived : public TBase {
public:
  explicit TDerived(TComponent *owner, bool fail = false) : TBase(owner), fail_(fail) {}
  ~TDerived() override { Log().push_back("destructor"); }
  std::string Describe() const override { return "derived"; }
  void AfterConstruction() override {
    TBase::AfterConstruction();
    if (fail_)
      throw Exception("set-up failed");
  }

private:
  bool fail_;
};

TEST(TwoPhaseTest, SetUpAndTearDownReachTheDerivedClass) {
  Log().clear();
  TDerived *d = CreateObject<TDerived>(nullptr);
  FreeObject(d);
  EXPECT_EQ(Log(), (std::vector<std::string>{"after construction: derived",
                                             "before destruction: derived", "destructor"}));
}

TEST(TwoPhaseTest, FailedSetUpFreesTheObject) {
  Log().clear();
  TOwnedPtr<TComponent> owner(CreateObject<TComponent>(nullptr));
  EXPECT_THROW(CreateObject<TDerived>(owner.get(), true), Exception);
  EXPECT_EQ(Log(), (std::vector<std::string>{"after construction: derived", "destructor"}));
  EXPECT_EQ(owner->ComponentCount(), 0); // it left its owner
}

TEST(TwoPhaseTest, FreeAndNilAndOwnedPointers) {
  Log().clear();
  TDerived *d = CreateObject<TDerived>(nullptr);
  FreeAndNil(d);
  EXPECT_EQ(d, nullptr);
  FreeObject(nullptr);
  { TOwnedPtr<TDerived> owned(CreateObject<TDerived>(nullptr)); }
  EXPECT_EQ(std::count(Log().begin(), Log().end(), "before destruction: derived"), 2);
}

} // namespace
