// Operations and their delivery along links.
#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"

namespace {

class TOWDeliveryTest : public TPinsFixture {
protected:
  // A source with sinks of the given names, linked in that order; the new-link
  // deliveries are dropped from the log.
  TTestSourceComponent *Fan(const std::vector<std::string> &names) {
    auto *src = Source("AudioIn");
    for (auto &n : names) {
      Sinks[n] = Sink(n);
      EXPECT_TRUE(Sinks[n]->InputPin->Connect(src->OutputPin));
    }
    DeliveryLog().clear();
    return src;
  }
  std::vector<std::string> NotifyOnce(TOWSourcePin *pin) {
    pin->Notify(TOWNotifyOperation::Make().Get());
    return TakeReceivers();
  }
  std::map<std::string, TTestSinkComponent *> Sinks;
};

using Names = std::vector<std::string>;

TEST_F(TOWDeliveryTest, ANewLinkGetsOneFirstDeliveryMarkedNewAndLast) {
  auto *src = Source("AudioIn");
  auto *sink = Sink("Meter");
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  ASSERT_EQ(DeliveryLog().size(), 1u);
  EXPECT_EQ(DeliveryLog()[0].Receiver, "Meter");
  EXPECT_EQ(DeliveryLog()[0].Type, IID_TestA);
  EXPECT_EQ(DeliveryLog()[0].State, (TOWNotifyState{nsNewLink, nsLastIteration}));
}

TEST_F(TOWDeliveryTest, ThreeSinksAreReversedByEveryDelivery) {
  auto *src = Fan({"A", "B", "C"});
  src->OutputPin->Notify(TOWNotifyOperation::Make().Get());
  ASSERT_EQ(DeliveryLog().size(), 3u);
  EXPECT_EQ(DeliveryLog()[0].State, TOWNotifyState{});
  EXPECT_EQ(DeliveryLog()[1].State, TOWNotifyState{});
  EXPECT_EQ(DeliveryLog()[2].State, TOWNotifyState{nsLastIteration});
  EXPECT_EQ(TakeReceivers(), (Names{"A", "B", "C"}));
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"C", "B", "A"}));
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"A", "B", "C"}));
}

TEST_F(TOWDeliveryTest, FiveSinksAlternateBetweenTwoOrders) {
  auto *src = Fan({"a", "b", "c", "d", "e"});
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"d", "e", "c", "a", "b"}));
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"a", "b", "c", "d", "e"}));
}

TEST_F(TOWDeliveryTest, AddressingOneSinkServesOnlyItWithoutTheLastFlagUnlessLast) {
  auto *src = Fan({"A", "B", "C"});
  src->OutputPin->NotifyPin(Sinks["B"]->InputPin, TOWNotifyOperation::Make().Get());
  ASSERT_EQ(DeliveryLog().size(), 1u);
  EXPECT_EQ(DeliveryLog()[0].Receiver, "B");
  EXPECT_EQ(DeliveryLog()[0].State, TOWNotifyState{});
}

TEST_F(TOWDeliveryTest, ASinkThatChangesDataIsServedBehindTheOthers) {
  auto *src = Fan({"A", "B", "C"});
  Sinks["A"]->InputPin->Answer = {nrDataChanged};
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"A", "B", "C"}));
  const TOWSinkPinEntryList &entries = src->OutputPin->GetEntries();
  ASSERT_EQ(entries.Count(), 3);
  EXPECT_EQ(entries.GetItemByPin(Sinks["A"]->InputPin)->ChangeCounter, 3);
  EXPECT_EQ(entries.GetItem(2)->Sink, Sinks["A"]->InputPin);
  NotifyOnce(src->OutputPin);
  EXPECT_EQ(entries.GetItemByPin(Sinks["A"]->InputPin)->ChangeCounter, 6);
  EXPECT_EQ(entries.GetItem(2)->Sink, Sinks["A"]->InputPin);
}

TEST_F(TOWDeliveryTest, AnEntryMovesRightBehindItsAfterPin) {
  auto *src = Fan({"X", "Y", "Z"});
  src->OutputPin->SetNotifyAfterByName(Sinks["X"]->InputPin, "Z.InputPin");
  EXPECT_EQ(src->OutputPin->GetAfterPinDisplayName(Sinks["X"]->InputPin), "Z.InputPin");
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"X", "Y", "Z"}));
  // The sort reversed them to Z Y X, where X already stands behind Z.
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"Z", "Y", "X"}));
  // Reversed again to X Y Z, then X moved right behind Z.
  EXPECT_EQ(NotifyOnce(src->OutputPin), (Names{"Y", "Z", "X"}));
}

TEST_F(TOWDeliveryTest, RecursionRaisesOnThe202ndNestedDeliveryAndTheCountComesBack) {
  auto *src = Source("Loop");
  auto *sink = Sink("Back");
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  int depth = 0;
  bool armed = false;
  src->OutputPin->ClearTypes();
  src->OutputPin->AddType(IID_TestA,
                          [&](IOWStream *, const TGUID *, IOWNotifyOperation *op, TOWNotifyState) {
                            ++depth;
                            if (armed)
                              src->OutputPin->Notify(op);
                            return TOWNotifyResult{};
                          });
  sink->InputPin->Connect(nullptr);
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  depth = 0;
  armed = true;
  try {
    src->OutputPin->Notify(TOWNotifyOperation::Make().Get());
    FAIL() << "no exception";
  } catch (const EOWException &e) {
    EXPECT_EQ(e.Message(), "The pin depends on itself. Please protect with functional dependency.");
  }
  EXPECT_EQ(depth, 201) << "201 deliveries ran; the 202nd raised";
  EXPECT_EQ(src->OutputPin->GetNestingCount(), 0);
}

// A handler that raises does not leave the source's nesting count raised:
// many escapes later the pin still delivers.
TEST_F(TOWDeliveryTest, AHandlerExceptionLeavesThePinUsable) {
  auto *src = Fan({"A"});
  bool raise = true;
  int calls = 0;
  src->OutputPin->ClearTypes();
  src->OutputPin->AddType(IID_TestA,
                          [&](IOWStream *, const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
                            ++calls;
                            if (raise)
                              throw Exception("handler failure");
                            return TOWNotifyResult{};
                          });
  Sinks["A"]->InputPin->Connect(nullptr);
  raise = false;
  ASSERT_TRUE(Sinks["A"]->InputPin->Connect(src->OutputPin));
  raise = true;
  for (int i = 0; i < 250; ++i)
    EXPECT_THROW(src->OutputPin->Notify(TOWNotifyOperation::Make().Get()), Exception);
  EXPECT_EQ(src->OutputPin->GetNestingCount(), 0);
  raise = false;
  calls = 0;
  EXPECT_NO_THROW(src->OutputPin->Notify(TOWNotifyOperation::Make().Get()));
  EXPECT_EQ(calls, 1);
}

TEST_F(TOWDeliveryTest, AHandlerMayUnlinkItsOwnSinkMidFanOut) {
  auto *src = Fan({"A", "B", "C"});
  src->OutputPin->ClearTypes();
  std::vector<std::string> seen;
  bool armed = false;
  src->OutputPin->AddType(IID_TestA,
                          [&](IOWStream *h, const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
                            auto *sink = dynamic_cast<TTestSinkPin *>(h);
                            seen.push_back(sink->Label);
                            if (armed && sink->Label == "A")
                              sink->Connect(nullptr);
                            return TOWNotifyResult{};
                          });
  for (auto &[n, c] : Sinks) {
    c->InputPin->Connect(nullptr);
    c->InputPin->Connect(src->OutputPin);
  }
  seen.clear();
  armed = true;
  src->OutputPin->Notify(TOWNotifyOperation::Make().Get());
  EXPECT_EQ(seen, (Names{"A", "B", "C"})) << "the fan-out runs over a copy of the entries";
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 2);
}

TEST_F(TOWDeliveryTest, UpstreamDeliveryGoesToTheSourceThroughTheSinksHandler) {
  auto *src = Source("Player");
  auto *sink = Sink("Queue");
  EXPECT_TRUE(
      sink->InputPin->Notify(TOWNotifyOperation::Make<TOWQueryStreamOperation>().Get()).Empty());
  EXPECT_TRUE(DeliveryLog().empty()) << "no source: nothing is called";
  sink->InputPin->AddType(IID_TestA, RecordingHandler());
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  DeliveryLog().clear();
  src->OutputPin->Answer = {nrDataChanged};
  auto op = TOWNotifyOperation::Make<TOWQueryStreamOperation>();
  EXPECT_TRUE(sink->InputPin->Notify(op.Get()).Contains(nrDataChanged));
  ASSERT_EQ(DeliveryLog().size(), 1u);
  EXPECT_EQ(DeliveryLog()[0].Receiver, "Player");
  EXPECT_EQ(DeliveryLog()[0].State, TOWNotifyState{nsLastIteration});
  EXPECT_EQ(DeliveryLog()[0].OperationID, op->Instance()->GetOperationID());
}

// The sink's handler runs with the read side of every lock group on its
// stream-lock chain held: the source's and its own.
TEST_F(TOWDeliveryTest, UpstreamDeliveryHoldsTheChainsReadLocks) {
  auto *src = Source("Player");
  auto *sink = Sink("Queue");
  int sourceReads = -1;
  int sinkReads = -1;
  sink->InputPin->AddType(IID_TestA,
                          [&](IOWStream *, const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
                            sourceReads = src->OutputPin->GetCountReads();
                            sinkReads = sink->InputPin->GetCountReads();
                            return TOWNotifyResult{};
                          });
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  sourceReads = sinkReads = -1;
  sink->InputPin->Notify(TOWNotifyOperation::Make<TOWQueryStreamOperation>().Get());
  EXPECT_GT(sourceReads, 0);
  EXPECT_GT(sinkReads, 0);
  EXPECT_EQ(src->OutputPin->GetCountReads(), 0) << "given back after the delivery";
  EXPECT_EQ(sink->InputPin->GetCountReads(), 0);
}

TEST(TOWNotifyOperation, IdsIncreaseByOneAndClassesMatchTheirAncestors) {
  auto a = TOWNotifyOperation::Make();
  auto b = TOWNotifyOperation::Make<TOWEndStopOperation>();
  EXPECT_EQ(b->Instance()->GetOperationID(), a->Instance()->GetOperationID() + 1);
  EXPECT_TRUE(OWOperationAs<TOWStopOperation>(b.Get()));
  EXPECT_FALSE(OWOperationAs<TOWStopOperation>(a.Get()));
  auto supplied = TOWNotifyOperation::Make<TOWSuppliedMulticastOperation>();
  EXPECT_TRUE(OWOperationAs<TOWClockOperation>(supplied.Get()));
  static_assert(sizeof(std::declval<TOWNotifyOperation>().GetOperationID()) == 8,
                "ids do not wrap at 2^31");
}

// Connecting a second sink of another type re-delivers a new-link operation to
// the first sink, whose type differs from the new link's.
TEST_F(TOWDeliveryTest, ASecondSinkOfAnotherTypeRenewsTheFirstLink) {
  auto *src = Source("AudioIn");
  src->OutputPin->AddType(IID_TestB, RecordingHandler());
  auto *a = Sink("OnlyA", {IID_TestA});
  auto *b = Sink("OnlyB", {IID_TestB});
  ASSERT_TRUE(a->InputPin->Connect(src->OutputPin));
  DeliveryLog().clear();
  ASSERT_TRUE(b->InputPin->Connect(src->OutputPin));
  ASSERT_EQ(DeliveryLog().size(), 2u);
  EXPECT_EQ(DeliveryLog()[0].Receiver, "OnlyB");
  EXPECT_EQ(DeliveryLog()[1].Receiver, "OnlyA");
  EXPECT_EQ(DeliveryLog()[1].State, (TOWNotifyState{nsNewLink, nsLastIteration}));
  EXPECT_EQ(src->OutputPin->GetConnectionID(a->InputPin), IID_TestA) << "its type does not change";
}

} // namespace
