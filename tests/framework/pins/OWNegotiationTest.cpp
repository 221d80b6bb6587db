// Stream-type negotiation along a pass-through chain.
#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"

namespace {

class TOWNegotiationTest : public TPinsFixture {};

// S (types A then B) -> K, a pass-through whose output T follows K's type
// (data-type dependency) and feeds F, which accepts only A: the S-K link is
// typed A although B is S's preferred type.
TEST_F(TOWNegotiationTest, APassThroughChainNarrowsToWhatTheWholeChainCarries) {
  auto *s = Source("S");
  s->OutputPin->AddType(IID_TestB, RecordingHandler());
  auto *k = Sink("K", {IID_TestA, IID_TestB});
  auto *t = Source("T");
  t->OutputPin->AddType(IID_TestB, RecordingHandler());
  t->OutputPin->DataTypeDependencies().Add(k->InputPin);
  EXPECT_EQ(k->InputPin->GetDataTypeBackList().size(), 1u);
  auto *f = Sink("F", {IID_TestA});
  ASSERT_TRUE(f->InputPin->Connect(t->OutputPin));
  ASSERT_TRUE(k->InputPin->Connect(s->OutputPin));
  EXPECT_EQ(s->OutputPin->GetConnectionID(k->InputPin), IID_TestA);

  // Without the chain below, K takes the preferred B.
  t->OutputPin->DataTypeDependencies().Remove(k->InputPin);
  EXPECT_TRUE(k->InputPin->GetDataTypeBackList().empty());
  k->InputPin->Connect(nullptr);
  ASSERT_TRUE(k->InputPin->Connect(s->OutputPin));
  EXPECT_EQ(s->OutputPin->GetConnectionID(k->InputPin), IID_TestB);
}

TEST_F(TOWNegotiationTest, OrderingPutsThePinsOwnPreferenceFirst) {
  constexpr TGUID C = TGUID::FromLiteral("{6A1F0C52-33E1-4D0B-9E0A-1B2C3D4E5F62}");
  auto *s = Source("S");
  s->OutputPin->AddType(IID_TestB, RecordingHandler());
  TOWPinTypeRestricted list;
  list.AddType(C, nullptr);
  list.AddType(IID_TestB, nullptr);
  list.AddType(IID_TestA, nullptr);
  s->OutputPin->OrderStreamTypes(&list);
  EXPECT_TRUE(list.Ordered);
  ASSERT_EQ(list.GetLength(), 3);
  EXPECT_EQ(list.GetID(0), IID_TestA);
  EXPECT_EQ(list.GetID(1), IID_TestB);
  EXPECT_EQ(list.GetID(2), C);
}

TEST_F(TOWNegotiationTest, ASinkIgnoringUpstreamTakesNoPartInUpstreamNarrowing) {
  auto *k = Sink("K", {IID_TestA});
  k->InputPin->AddType(IID_TestA, RecordingHandler());
  k->InputPin->IgnoreUpstream = true;
  TOWPinTypeRestricted list;
  k->InputPin->UpStreamFillPossibleStreamTypes(&list, k->InputPin);
  ASSERT_EQ(list.GetLength(), 1);
  list.AddType(IID_TestB, nullptr);
  k->InputPin->UpStreamForthRestrictPossibleStreamTypes(&list, nullptr);
  EXPECT_EQ(list.GetLength(), 2) << "nothing removed";
}

} // namespace
