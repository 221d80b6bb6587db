// Links between source and sink pins, dependencies and stream locks.
#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"

namespace {

class TOWLinksTest : public TPinsFixture {};

// Source types [A, B] (B added last) against what the sink implements; the
// source implements both, so the upstream type is the downstream one.
struct TTypeCase {
  const char *name;
  std::set<TGUID> sinkAccepts;
  bool links;
  TGUID downstream;
  TGUID upstream;
};

class TOWDownstreamType : public TPinsFixture, public ::testing::WithParamInterface<TTypeCase> {};

TEST_P(TOWDownstreamType, IsTheSourcesLastAddedTypeTheSinkImplements) {
  auto *src = Source("AudioIn");
  src->OutputPin->AddType(IID_TestB, RecordingHandler());
  src->OutputPin->Accepts = {IID_TestA, IID_TestB};
  auto *sink = Sink("Meter", GetParam().sinkAccepts);
  EXPECT_EQ(sink->InputPin->CanConnectTo(src->OutputPin), GetParam().links);
  EXPECT_EQ(sink->InputPin->Connect(src->OutputPin), GetParam().links);
  if (GetParam().links) {
    EXPECT_EQ(src->OutputPin->GetConnectionID(sink->InputPin), GetParam().downstream);
    EXPECT_EQ(sink->InputPin->GetDownStreamID(), GetParam().downstream);
    EXPECT_EQ(src->OutputPin->GetPrimaryConnectionID(), GetParam().downstream);
    EXPECT_EQ(sink->InputPin->GetUpStreamID(), GetParam().upstream);
  } else {
    EXPECT_EQ(sink->InputPin->GetSourcePin(), nullptr);
    EXPECT_EQ(src->OutputPin->GetSinkCount(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Links, TOWDownstreamType,
    ::testing::Values(
        TTypeCase{"BothPreferTheLaterType", {IID_TestA, IID_TestB}, true, IID_TestB, IID_TestB},
        TTypeCase{"OnlyTheFirstType", {IID_TestA}, true, IID_TestA, IID_TestA},
        TTypeCase{"OnlyTheLaterType", {IID_TestB}, true, IID_TestB, IID_TestB},
        TTypeCase{"Neither", {}, false, OWNULLID, OWNULLID}),
    [](const auto &info) { return std::string(info.param.name); });

// The upstream type: the downstream type when the source implements it, else
// the source's last-added type it implements; skipped for a sink without types.
TEST_F(TOWLinksTest, UpstreamTypeFollowsWhatTheSourceImplements) {
  auto *src = Source("AudioIn");
  src->OutputPin->AddType(IID_TestB, RecordingHandler());
  auto *sink = Sink("Meter", {IID_TestA, IID_TestB});
  sink->InputPin->AddType(IID_TestA, RecordingHandler()); // takes part in the upstream check

  src->OutputPin->Accepts = {IID_TestA, IID_TestB};
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  EXPECT_EQ(sink->InputPin->GetUpStreamID(), IID_TestB);
  sink->InputPin->Connect(nullptr);

  src->OutputPin->Accepts = {IID_TestA};
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  EXPECT_EQ(src->OutputPin->GetConnectionID(sink->InputPin), IID_TestB);
  EXPECT_EQ(sink->InputPin->GetUpStreamID(), IID_TestA);
  EXPECT_EQ(sink->InputPin->GetPrimaryConnectionID(), IID_TestA);
  sink->InputPin->Connect(nullptr);

  src->OutputPin->Accepts = {};
  EXPECT_FALSE(sink->InputPin->CanConnectTo(src->OutputPin)) << "no upstream type";
  sink->InputPin->IgnoreUpstream = true;
  EXPECT_TRUE(sink->InputPin->CanConnectTo(src->OutputPin)) << "the upstream check is skipped";
}

TEST_F(TOWLinksTest, ConnectingToANewSourceBreaksTheOldLink) {
  auto *a = Source("A");
  auto *b = Source("B");
  auto *first = Sink("First");
  auto *sink = Sink("Meter");
  ASSERT_TRUE(first->InputPin->Connect(b->OutputPin));
  ASSERT_TRUE(sink->InputPin->Connect(a->OutputPin));
  ASSERT_TRUE(sink->InputPin->Connect(b->OutputPin));
  EXPECT_EQ(a->OutputPin->GetSinkCount(), 0);
  ASSERT_EQ(b->OutputPin->GetSinkCount(), 2);
  EXPECT_EQ(b->OutputPin->GetSink(1), sink->InputPin) << "appended at the end";
  EXPECT_TRUE(sink->InputPin->Connect(b->OutputPin))
      << "relinking to the same source changes nothing";
  EXPECT_EQ(b->OutputPin->GetSinkCount(), 2);
  EXPECT_THROW(b->OutputPin->GetSink(2), EListError);
}

TEST_F(TOWLinksTest, AfterPinsMustBeSinksOfTheSourceAndFormNoCycle) {
  auto *src = Source("AudioIn");
  auto *x = Sink("X");
  auto *y = Sink("Y");
  auto *stranger = Sink("Stranger");
  EXPECT_FALSE(src->OutputPin->ConnectAfter(x->InputPin, stranger->InputPin));
  ASSERT_TRUE(src->OutputPin->Connect(y->InputPin));
  ASSERT_TRUE(src->OutputPin->ConnectAfter(x->InputPin, y->InputPin));
  EXPECT_EQ(src->OutputPin->GetConnectedAfterPin(x->InputPin), y->InputPin);
  // Y after X would close the chain X -> Y -> X.
  EXPECT_FALSE(src->OutputPin->CanConnectAfter(y->InputPin, x->InputPin));
}

// Observes disconnections.
class TDisconnectNotifier : public com::TInterfacedObject, public IOWPinNotifier {
public:
  void PinDisconnected(TOWBasicPin *pin, TOWPinObject *peer) override {
    Events.emplace_back(pin, peer);
  }
  std::vector<std::pair<TOWBasicPin *, TOWPinObject *>> Events;
};

TEST_F(TOWLinksTest, SourceDisconnectDropsItsSinksFromTheLastToTheFirst) {
  auto *src = Source("AudioIn");
  TTestSinkComponent *sinks[] = {Sink("A"), Sink("B"), Sink("C")};
  for (auto *s : sinks)
    ASSERT_TRUE(s->InputPin->Connect(src->OutputPin));
  auto notifier = com::MakeCom<TDisconnectNotifier>();
  OWAddPinNotifier(IOWPinNotifierPtr(notifier));
  src->OutputPin->Disconnect();
  OWRemovePinNotifier(notifier.Get());
  ASSERT_EQ(notifier->Events.size(), 3u);
  EXPECT_EQ(notifier->Events[0].second, sinks[2]->InputPin);
  EXPECT_EQ(notifier->Events[1].second, sinks[1]->InputPin);
  EXPECT_EQ(notifier->Events[2].second, sinks[0]->InputPin);
  for (auto *s : sinks)
    EXPECT_EQ(s->InputPin->GetSourcePin(), nullptr);
  EXPECT_EQ(src->OutputPin->GetSinkCount(), 0);
}

TEST_F(TOWLinksTest, DestroyingEitherSideRemovesTheLink) {
  auto *src = Source("AudioIn");
  auto *keep = Sink("Keep");
  auto *gone = Sink("Gone");
  ASSERT_TRUE(keep->InputPin->Connect(src->OutputPin));
  ASSERT_TRUE(gone->InputPin->Connect(src->OutputPin));
  FreeObject(gone);
  ASSERT_EQ(src->OutputPin->GetSinkCount(), 1);
  EXPECT_EQ(src->OutputPin->GetSink(0), keep->InputPin);
  FreeObject(src);
  EXPECT_EQ(keep->InputPin->GetSourcePin(), nullptr);
  EXPECT_FALSE(keep->InputPin->IsConnected());
  EXPECT_EQ(keep->InputPin->GetUpStreamID(), OWNULLID);
  EXPECT_EQ(OWGetPendingCount(), 0) << "no placeholder at run time";
  EXPECT_EQ(Sink("Fresh")->InputPin->GetPrimaryConnectionID(), OWNULLID);
}

TEST_F(TOWLinksTest, AssignCopiesTheSourceOrRefuses) {
  auto *src = Source("AudioIn");
  auto *a = Sink("A");
  auto *b = Sink("B");
  ASSERT_TRUE(a->InputPin->Connect(src->OutputPin));
  b->InputPin->Assign(a->InputPin);
  EXPECT_EQ(b->InputPin->GetSourcePin(), src->OutputPin);
  b->InputPin->Assign(nullptr);
  EXPECT_EQ(b->InputPin->GetSourcePin(), nullptr);
  EXPECT_THROW(b->InputPin->Assign(src->OutputPin), EConvertError);
}

TEST_F(TOWLinksTest, DifferentDesignModesDoNotLink) {
  auto *src = Source("AudioIn");
  auto *sink = Sink("Meter");
  sink->IncludeState(csDesigning);
  EXPECT_FALSE(sink->InputPin->Connect(src->OutputPin));
  sink->ExcludeState(csDesigning);
  EXPECT_TRUE(sink->InputPin->Connect(src->OutputPin));
}

// ---------------------------------------------------------------------------
// Dependencies and stream locks

// A filter: input and output, the output computed from the input.
struct TFilter {
  TTestSinkComponent *In;
  TTestSourceComponent *Out;
};

class TOWDependencyTest : public TPinsFixture {
protected:
  TFilter Filter(const std::string &name, bool shareLock = true) {
    TFilter f{Sink(name + "In"), Source(name + "Out")};
    f.Out->OutputPin->FunctionDependencies().Add(f.In->InputPin, shareLock);
    return f;
  }
};

TEST_F(TOWDependencyTest, AFilterSharesOneLockAndRefusesAFeedbackLink) {
  TFilter first = Filter("First");
  TFilter second = Filter("Second");
  EXPECT_EQ(first.In->InputPin->GetGroupLock()->Instance(),
            first.Out->OutputPin->GetGroupLock()->Instance());
  ASSERT_TRUE(second.In->InputPin->Connect(first.Out->OutputPin));
  // Linking Second's output back into First's input would close a cycle.
  EXPECT_TRUE(second.Out->OutputPin->DependsOn(first.In->InputPin));
  EXPECT_TRUE(second.Out->OutputPin->DependsOn(second.In->InputPin));
  EXPECT_TRUE(second.Out->OutputPin->DependsOn(first.Out->OutputPin));
  EXPECT_FALSE(first.In->InputPin->CanConnectTo(second.Out->OutputPin))
      << "the source depends on the sink";
  EXPECT_FALSE(first.In->InputPin->Connect(second.Out->OutputPin));
  EXPECT_TRUE(second.Out->OutputPin->DirectDependsOn(second.In->InputPin));
  EXPECT_FALSE(second.Out->OutputPin->DirectDependsOn(first.Out->OutputPin));
}

TEST_F(TOWDependencyTest, RemovingADependencyRemovesBothSidesFirstOccurrenceOnly) {
  auto *out = Source("Out");
  auto *in = Sink("In");
  auto &deps = out->OutputPin->FunctionDependencies();
  deps.Add(in->InputPin, false);
  deps.Add(in->InputPin, false);
  deps.Add(nullptr, false);
  EXPECT_EQ(deps.GetCount(), 2);
  EXPECT_EQ(in->InputPin->GetFunctionBackList().size(), 2u);
  deps.Remove(in->InputPin);
  EXPECT_EQ(deps.GetCount(), 1);
  EXPECT_EQ(in->InputPin->GetFunctionBackList().size(), 1u);
  deps.Remove(in->InputPin);
  deps.Remove(in->InputPin);
  EXPECT_EQ(deps.GetCount(), 0);
  EXPECT_TRUE(in->InputPin->GetFunctionBackList().empty());
}

TEST_F(TOWDependencyTest, StreamLocksListTheMostDistantUpstreamObjectsFirst) {
  // K linked to S1; S1 depends on D1 and D2; D1 linked to A, D2 to B.
  auto *a = Source("A");
  auto *b = Source("B");
  auto *d1 = Sink("D1");
  auto *d2 = Sink("D2");
  auto *s1 = Source("S1");
  auto *k = Sink("K");
  s1->OutputPin->FunctionDependencies().Add(d1->InputPin, false);
  s1->OutputPin->FunctionDependencies().Add(d2->InputPin, false);
  ASSERT_TRUE(d1->InputPin->Connect(a->OutputPin));
  ASSERT_TRUE(d2->InputPin->Connect(b->OutputPin));
  ASSERT_TRUE(k->InputPin->Connect(s1->OutputPin));
  IOWObjectListPtr locks = k->InputPin->GetStreamLocks();
  std::vector<TOWObject *> expected = {b->OutputPin, a->OutputPin,  d2->InputPin,
                                       d1->InputPin, s1->OutputPin, k->InputPin};
  ASSERT_EQ(locks->GetCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < locks->GetCount(); ++i)
    EXPECT_EQ(locks->GetItem(i), expected[static_cast<size_t>(i)]) << i;
  auto *lonely = Sink("Lonely");
  EXPECT_EQ(lonely->InputPin->GetStreamLocks() ? lonely->InputPin->GetStreamLocks()->GetCount() : 0,
            0);
}

} // namespace
