// Value pins set from several threads at once.
#include <atomic>

#include <gtest/gtest.h>

#include "framework/pins/OWStdTypes.h"
#include "tests/support/Wait.h"

namespace {

// Concurrent setters: every change reaches the sink one at a time, and the
// sink ends with the value the source ends with (a value is never stored by
// one setter and overtaken on the link by another's older send).
TEST(ValuePinsThreadsTest, ConcurrentSettersKeepSourceAndSinkInStep) {
  OWPinsInitialization();
  OWStdTypesInitialization();
  std::atomic<int> inHandler{0};
  std::atomic<bool> overlapped{false};
  std::atomic<int> received{0};
  TOwnedPtr<TOWIntegerSourcePin> source(CreateObject<TOWIntegerSourcePin>(nullptr));
  TOwnedPtr<TOWIntegerSinkPin> sink(CreateObject<TOWIntegerSinkPin>(
      nullptr,
      [&](TOWPin *, int32_t) {
        if (inHandler.fetch_add(1) != 0)
          overlapped = true;
        received.fetch_add(1);
        inHandler.fetch_sub(1);
      },
      nullptr));
  ASSERT_TRUE(sink->Connect(source.get()));
  received = 0;

  constexpr int kPerThread = 2000;
  // Odd values from one thread, even values from the other: every call changes the value.
  auto setter = [&](int first) {
    return [&, first] {
      for (int i = 0; i < kPerThread; ++i)
        source->SetValue(first + 2 * i);
    };
  };
  {
    TTestThread odd(setter(1));
    TTestThread even(setter(2));
    ASSERT_TRUE(odd.Finished(std::chrono::seconds(30)));
    ASSERT_TRUE(even.Finished(std::chrono::seconds(30)));
  }
  EXPECT_FALSE(overlapped);
  EXPECT_GT(received.load(), 0);
  EXPECT_LE(received.load(), 2 * kPerThread);
  EXPECT_EQ(sink->GetValue(), source->GetValue());
}

} // namespace
