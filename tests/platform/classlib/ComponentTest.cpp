#include <gtest/gtest.h>

#include "platform/classlib/Classes.h"

namespace {

std::vector<std::string> events;

class TWatcher : public TComponent {
public:
  explicit TWatcher(TComponent *owner) : TComponent(owner) {}
  void Notification(TComponent *c, TOperation op) override {
    TComponent::Notification(c, op);
    events.push_back(Name() + (op == opInsert ? " insert " : " remove ") + c->Name());
  }
  void BeforeDestruction() override {
    // The owner is marked destroying before its components go.
    events.push_back(Name() + " going, owner destroying=" +
                     std::to_string(Owner() && Owner()->InState(csDestroying)));
    TComponent::BeforeDestruction();
  }
};

TEST(ComponentTest, OwnerFreesOwnedComponentsLastFirst) {
  events.clear();
  TWatcher *root = CreateObject<TWatcher>(nullptr);
  root->SetName("Root");
  TWatcher *a = CreateObject<TWatcher>(root);
  a->SetName("A");
  TWatcher *b = CreateObject<TWatcher>(root);
  b->SetName("B");
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->Components(1), b);
  EXPECT_EQ(root->FindComponent("a"), a);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(root->ComponentIndex(), -1);
  EXPECT_THROW(root->Components(2), EListError);
  events.clear();
  FreeObject(root);
  // The root's own Notification override is gone by then; its remaining
  // components still hear of each removal.
  EXPECT_EQ(events, (std::vector<std::string>{"Root going, owner destroying=0",
                                              "B going, owner destroying=1", "A remove B",
                                              "A going, owner destroying=1"}));
}

TEST(ComponentTest, NamesAreIdentifiersUniqueWithinTheOwner) {
  TOwnedPtr<TComponent> root(CreateObject<TComponent>(nullptr));
  TComponent *a = CreateObject<TComponent>(root.get());
  TComponent *b = CreateObject<TComponent>(root.get());
  a->SetName("Meter");
  try {
    b->SetName("METER");
    FAIL();
  } catch (const EComponentError &e) {
    EXPECT_EQ(e.Message(), "A component named METER already exists");
  }
  try {
    b->SetName("Pin [0]");
    FAIL();
  } catch (const EComponentError &e) {
    EXPECT_EQ(e.Message(), "'Pin [0]' is not a valid component name");
  }
  b->SetName("_Meter2");
  a->SetName("meter"); // renaming itself is no clash
  EXPECT_EQ(a->Name(), "meter");
  b->SetName("");
  EXPECT_EQ(b->Name(), "");
}

TEST(ComponentTest, OwnersAndTheirComponentsHearInsertAndRemove) {
  events.clear();
  TOwnedPtr<TWatcher> root(CreateObject<TWatcher>(nullptr));
  root->SetName("Root");
  TWatcher *a = CreateObject<TWatcher>(root.get());
  a->SetName("A");
  TWatcher *b = CreateObject<TWatcher>(root.get());
  b->SetName("B");
  events.clear();
  root->RemoveComponent(b);
  EXPECT_EQ(b->Owner(), nullptr);
  EXPECT_EQ(events, (std::vector<std::string>{"A remove B", "Root remove B"}));
  events.clear();
  root->InsertComponent(b);
  EXPECT_EQ(events, (std::vector<std::string>{"A insert B", "Root insert B"}));
  events.clear();
  FreeObject(a); // leaves its owner, which tells the others
  EXPECT_EQ(events, (std::vector<std::string>{"A going, owner destroying=0", "B remove A",
                                              "Root remove A"}));
}

TEST(ComponentTest, StateFlags) {
  TOwnedPtr<TComponent> root(CreateObject<TComponent>(nullptr));
  TComponent *child = CreateObject<TComponent>(root.get());
  root->SetDesigning(true);
  EXPECT_TRUE(child->InState(csDesigning));
  root->SetDesigning(false, false);
  EXPECT_FALSE(root->InState(csDesigning));
  EXPECT_TRUE(child->InState(csDesigning));
  root->IncludeState(csLoading);
  EXPECT_EQ(root->ComponentState(), static_cast<TComponentState>(csLoading));
  root->Loaded();
  EXPECT_FALSE(root->InState(csLoading));
  EXPECT_FALSE(root->IsForm());
  root->SetIsForm(true);
  EXPECT_TRUE(root->IsForm());
  root->Destroying();
  EXPECT_TRUE(child->InState(csDestroying));
}

TEST(PersistentTest, AssignWithoutSupportRaisesTheAssignmentError) {
  TOwnedPtr<TComponent> a(CreateObject<TComponent>(nullptr));
  TOwnedPtr<TPersistent> p(CreateObject<TPersistent>());
  try {
    a->Assign(p.get());
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TPersistent to a TComponent");
  }
  try {
    a->Assign(nullptr);
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TComponent");
  }
}

} // namespace
