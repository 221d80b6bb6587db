// The stream-type registry read by deliveries on one thread while another
// thread registers types, as the first buffer or audio pin made on a worker
// thread does.
#include <atomic>

#include <gtest/gtest.h>

#include "tests/framework/pins/PinsTestComponents.h"
#include "tests/support/Wait.h"

namespace {

std::atomic<int> defaultDeliveries{0};

TOWNotifyResult CountingDefaultHandler(TOWPin *, IOWStream *, const TGUID *, IOWNotifyOperation *,
                                       TOWNotifyState) {
  ++defaultDeliveries;
  return {};
}

// A type of its own for every index, none of them a test type.
TGUID ExtraType(uint32_t i) {
  TGUID g = TGUID::FromLiteral("{5E0C1D2A-0000-4000-8000-00000000A0A0}");
  g.Data1 = 0x5E0C0000u + i;
  return g;
}

class TOWRegistryThreadsTest : public TPinsFixture {};

// Every registration may append an entry; a reader walking the entries at the
// same moment must neither see one move nor read a name being rewritten.
TEST_F(TOWRegistryThreadsTest, RegisteringTypesWhileDeliveringKeepsEveryReaderOnValidEntries) {
  OWRegisterStream(IID_TestA, "Test A");
  OWRegisterDefaultHandler(IID_TestA, &CountingDefaultHandler);
  auto *src = Source("AudioIn");
  src->OutputPin->ClearTypes();
  src->OutputPin->AddType(IID_TestA); // delivers through the registry's default handler
  auto *sink = Sink("Meter");
  ASSERT_TRUE(sink->InputPin->Connect(src->OutputPin));
  defaultDeliveries = 0;

  std::atomic<bool> stop{false};
  std::atomic<int> badNames{0};
  TTestThread deliverer([&] {
    while (!stop) {
      src->OutputPin->Notify(TOWNotifyOperation::Make().Get());
      if (OWGetStreamTypeFromID(IID_TestA) != "Test A")
        ++badNames;
    }
  });
  ASSERT_TRUE(Eventually([] { return defaultDeliveries > 0; }));
  const int before = defaultDeliveries;
  constexpr uint32_t extra = 400;
  for (uint32_t i = 0; i < extra; ++i) {
    OWRegisterStream(ExtraType(i), "Extra " + std::to_string(i));
    OWRegisterDefaultHandler(ExtraType(i), &CountingDefaultHandler);
    OWRegisterStream(IID_TestA, "Test A"); // an existing entry renamed to the same
  }
  EXPECT_TRUE(Eventually([&] { return defaultDeliveries > before + 10; })) << "deliveries go on";
  stop = true;
  ASSERT_TRUE(deliverer.Finished(EventuallyDeadline));
  EXPECT_EQ(badNames, 0);
  for (uint32_t i = 0; i < extra; i += 97) {
    EXPECT_EQ(OWGetStreamTypeFromID(ExtraType(i)), "Extra " + std::to_string(i));
    EXPECT_EQ(OWGetDefaultHandler(ExtraType(i)), &CountingDefaultHandler);
  }
  EXPECT_EQ(OWGetDefaultHandler(IID_TestA), &CountingDefaultHandler);
}

} // namespace
