// State groups: joining, the value exchange of a newcomer, leaving, after-pins
// and the "State" property.
#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"

namespace {

using Names = std::vector<std::string>;

class TOWStateTest : public TPinsFixture {};

TEST_F(TOWStateTest, TwoStatePinsFormANamedGroupAndAThirdJoins) {
  auto *a = State("A");
  auto *b = State("B");
  auto *c = State("C");
  ASSERT_TRUE(a->StatePin->ConnectByState(b->StatePin));
  TOWStateDispatcher *group = a->StatePin->GetStateGroup();
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetName(), "MainFormLink1");
  EXPECT_EQ(b->StatePin->GetStateGroup(), group);
  EXPECT_EQ(TOWStateDispatcher::GetByName("MainFormLink1", false), group);
  ASSERT_TRUE(c->StatePin->ConnectToState(group));
  EXPECT_EQ(group->GetPinCount(), 3);
  EXPECT_TRUE(a->StatePin->IsConnectedTo(c->StatePin));
  EXPECT_EQ(a->StatePin->GetConnectionID(c->StatePin), IID_TestA);
  auto *d = State("D");
  auto *e = State("E");
  ASSERT_TRUE(d->StatePin->ConnectByState(e->StatePin));
  EXPECT_EQ(d->StatePin->GetStateGroup()->GetName(), "MainFormLink2");
}

// The framework's group lists: those of designing owners are counted and
// indexed first, the run-time ones while no designing group exists.
TEST_F(TOWStateTest, TheGroupListsAreReadDesigningFirst) {
  const int before = OWGetDispatcherCount();
  auto *a = State("A");
  auto *b = State("B");
  ASSERT_TRUE(a->StatePin->ConnectByState(b->StatePin));
  TOWStateDispatcher *running = a->StatePin->GetStateGroup();
  ASSERT_EQ(OWGetDispatcherCount(), before + 1);
  EXPECT_EQ(OWGetDispatcher(before), running);
  EXPECT_THROW(OWGetDispatcher(before + 1), EListError);
  EXPECT_THROW(OWGetDispatcher(-1), EListError);

  // A group's list follows its root form: one open in a designer.
  TTestForm *designed = App.AddForm("DesignedForm");
  designed->SetDesigning(true);
  auto *c = CreateObject<TTestStateComponent>(designed);
  auto *d = CreateObject<TTestStateComponent>(designed);
  c->SetName("C");
  d->SetName("D");
  c->SetDesigning(true);
  d->SetDesigning(true);
  ASSERT_TRUE(c->StatePin->ConnectByState(d->StatePin));
  TOWStateDispatcher *designing = c->StatePin->GetStateGroup();
  ASSERT_NE(designing, running);
  EXPECT_EQ(OWGetDispatcherCount(), 1) << "only the designing group counts";
  EXPECT_EQ(OWGetDispatcher(0), designing);

  c->StatePin->Disconnect();
  EXPECT_EQ(OWGetDispatcherCount(), before + 1) << "back to the run-time groups";
  EXPECT_EQ(OWGetDispatcher(before), running);
  FreeObject(designed);
}

TEST_F(TOWStateTest, ANewcomerHearsEveryMemberThenTellsThemAll) {
  auto *a = State("A");
  auto *b = State("B");
  auto *c = State("C");
  ASSERT_TRUE(a->StatePin->ConnectByState(b->StatePin));
  DeliveryLog().clear();
  ASSERT_TRUE(c->StatePin->ConnectToState(a->StatePin->GetStateGroup()));
  // A and B send to C alone; then C sends to every member, itself included.
  EXPECT_EQ(TakeReceivers(), (Names{"C", "C", "A", "B", "C"}));
}

TEST_F(TOWStateTest, WithASourceInTheGroupOnlyTheSourceSendsToTheNewcomer) {
  auto *src = Source("Switch");
  auto *a = State("A");
  auto *b = State("B");
  ASSERT_TRUE(a->StatePin->ConnectByState(src->OutputPin));
  DeliveryLog().clear();
  ASSERT_TRUE(b->StatePin->ConnectToState(a->StatePin->GetStateGroup()));
  ASSERT_EQ(DeliveryLog().size(), 1u);
  EXPECT_EQ(DeliveryLog()[0].Receiver, "B");
  EXPECT_EQ(DeliveryLog()[0].State, (TOWNotifyState{nsNewLink, nsLastIteration}));
}

TEST_F(TOWStateTest, StateDeliveryMarksTheLastReceiver) {
  auto *a = State("A");
  auto *b = State("B");
  auto *c = State("C");
  ASSERT_TRUE(a->StatePin->ConnectByState(b->StatePin));
  ASSERT_TRUE(c->StatePin->ConnectToState(a->StatePin->GetStateGroup()));
  DeliveryLog().clear();
  a->StatePin->Notify(TOWNotifyOperation::Make().Get());
  ASSERT_EQ(DeliveryLog().size(), 3u);
  EXPECT_EQ(DeliveryLog()[0].State, TOWNotifyState{});
  EXPECT_EQ(DeliveryLog()[1].State, TOWNotifyState{});
  EXPECT_EQ(DeliveryLog()[2].State, TOWNotifyState{nsLastIteration});
  DeliveryLog().clear();
  // The sender last in the group: the one before it is marked last already.
  c->StatePin->Notify(TOWNotifyOperation::Make().Get());
  ASSERT_EQ(DeliveryLog().size(), 3u);
  EXPECT_EQ(DeliveryLog()[1].State, TOWNotifyState{nsLastIteration});
}

TEST_F(TOWStateTest, AGroupDoesNotOutliveItsSecondToLastMember) {
  auto *a = State("A");
  auto *b = State("B");
  ASSERT_TRUE(a->StatePin->ConnectByState(b->StatePin));
  a->StatePin->Disconnect();
  EXPECT_EQ(a->StatePin->GetStateGroup(), nullptr);
  EXPECT_EQ(b->StatePin->GetStateGroup(), nullptr);
  EXPECT_EQ(TOWStateDispatcher::GetByName("MainFormLink1", false), nullptr)
      << "the group freed itself";
}

TEST_F(TOWStateTest, NamesLinkPinsToTheSameGroup) {
  auto *a = State("A");
  auto *b = State("B");
  a->StatePin->LinkToStateByName("Enable");
  TOWStateDispatcher *group = TOWStateDispatcher::GetByName("Enable", false);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetPinCount(), 1) << "a group made by name holds its first member alone";
  TReader reader("'Enable'");
  b->StatePin->ReadStateConnectionsData(&reader);
  EXPECT_EQ(b->StatePin->GetStateGroup(), group);
  EXPECT_EQ(group->GetPinCount(), 2);
  TReader listed("('Enable' MainForm.X.StatePin (MainForm.Y.StatePin 'shown'))");
  auto *c = State("C");
  c->StatePin->ReadStateConnectionsData(&listed);
  EXPECT_EQ(group->GetPinCount(), 3) << "listed members are read and ignored";
  group->DisconnectAll();
  EXPECT_EQ(TOWStateDispatcher::GetByName("Enable", false), nullptr);
  EXPECT_EQ(a->StatePin->GetStateGroup(), nullptr);
  EXPECT_EQ(c->StatePin->GetStateGroup(), nullptr);
}

TEST_F(TOWStateTest, AfterPinsNeverFormACycleAndForgetDestroyedPins) {
  auto *p = State("P");
  auto *q = State("Q");
  auto *r = State("R");
  ASSERT_TRUE(p->StatePin->ConnectByState(q->StatePin));
  TOWStateDispatcher *group = p->StatePin->GetStateGroup();
  group->RemovePin(r->StatePin); // not a member: nothing
  ASSERT_TRUE(r->StatePin->ConnectToState(group));
  EXPECT_FALSE(group->CanConnectAfter(p->StatePin, p->StatePin));
  group->SetNotifyAfterByName(p->StatePin, "Q.StatePin");
  group->SetNotifyAfterByName(q->StatePin, "MainForm.R.StatePin");
  EXPECT_EQ(group->GetConnectedAfterPin(p->StatePin), q->StatePin);
  EXPECT_EQ(group->GetAfterPinDisplayName(q->StatePin), "MainForm.R.StatePin");
  // p after q after r: r after p would close the chain.
  EXPECT_FALSE(group->CanConnectAfter(r->StatePin, p->StatePin));
  EXPECT_TRUE(group->CanConnectAfter(r->StatePin, nullptr));
  auto *s = State("S");
  ASSERT_TRUE(s->StatePin->ConnectToState(group));
  group->SetNotifyAfterByName(r->StatePin, "S.StatePin");
  FreeObject(s);
  EXPECT_EQ(group->GetConnectedAfterPin(r->StatePin), nullptr)
      << "a destroyed pin is nobody's after-pin";
}

// A group with a1, a2 on form A and b1 on form B, saved twice A then B.
TEST_F(TOWStateTest, ACrossFormGroupWritesItsMembersOncePerForm) {
  TTestForm *formB = App.AddForm("FormB");
  auto *a1 = State("A1");
  auto *a2 = State("A2");
  auto *b1 = CreateObject<TTestStateComponent>(formB);
  b1->SetName("B1");
  ASSERT_TRUE(a1->StatePin->ConnectByState(a2->StatePin));
  ASSERT_TRUE(b1->StatePin->ConnectToState(a1->StatePin->GetStateGroup()));
  ASSERT_TRUE(a1->StatePin->GetStateGroup()->IsCrosForm());
  auto write = [](TOWBasicPin *pin) {
    TWriter w;
    pin->WriteStateConnectionsData(&w);
    return w.Text();
  };
  const std::string forA = "(\n  'MainFormLink1'\n  FormB.B1.StatePin)";
  const std::string forB = "(\n  'MainFormLink1'\n  MainForm.A1.StatePin\n  MainForm.A2.StatePin)";
  EXPECT_EQ(write(a1->StatePin), forA);
  EXPECT_EQ(write(a2->StatePin), "'MainFormLink1'");
  EXPECT_EQ(write(b1->StatePin), forB);
  EXPECT_EQ(write(a1->StatePin), "'MainFormLink1'") << "the bookkeeping starts over after it";
  EXPECT_EQ(write(a2->StatePin), forA);
  EXPECT_EQ(write(b1->StatePin), forB);
  FreeObject(formB);
}

TEST_F(TOWStateTest, ASinkJoiningAGroupDropsItsSource) {
  auto *src = Source("AudioIn");
  auto *sink = Sink("Meter");
  auto *a = State("A");
  auto *b = State("B");
  ASSERT_TRUE(a->StatePin->ConnectByState(b->StatePin));
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  ASSERT_TRUE(sink->InputPin->ConnectToState(a->StatePin->GetStateGroup()));
  EXPECT_EQ(sink->InputPin->GetSourcePin(), nullptr);
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 0);
  EXPECT_TRUE(sink->InputPin->IsConnected());
  EXPECT_EQ(sink->InputPin->GetDownStreamID(), IID_TestA);
}

} // namespace
