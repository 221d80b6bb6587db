// The generic real filter handing buffers from a delivering thread to the
// main thread: far more buffers than the queue has slots never lock up.
#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/SLGenericReal.h"
#include "platform/mainloop/MainLoop.h"
#include "tests/framework/data/SLBufferTestSupport.h"
#include "tests/support/Wait.h"

namespace {

class SLGenericRealThreadsTest : public SLRealChainTest {
protected:
  SLGenericRealThreadsTest() : SLRealChainTest("downstream") {}
  void SetUp() override {
    Loop().BindMainThread();
    Loop().RunPending();
    SLRealChainTest::SetUp();
    filter.reset(CreateObject<TSLGenericReal>(nullptr));
    EXPECT_TRUE(filter->GetInputPin()->Connect(source.get()));
    EXPECT_TRUE(sink->Connect(filter->GetOutputPin()));
  }
  void TearDown() override {
    filter.reset();
    Loop().RunPending();
    SLRealChainTest::TearDown();
  }
  static mainloop::TMainLoop &Loop() { return mainloop::TMainLoop::Main(); }

  TOwnedPtr<TSLGenericReal> filter;
};

// The delivering thread holds the filter's lock group while it delivers; the
// main thread needs that group to send each handled buffer on, and only its
// handling frees the slots the delivering thread waits for.
TEST_F(SLGenericRealThreadsTest, MoreBuffersThanSlotsDrainWithoutLockingUp) {
  filter->SetSynchronizeType(stQueue);
  std::vector<double> seen; // main thread only
  filter->OnProcessData.Fn = [&](TObject *, TSLCRealBuffer In, TSLCRealBuffer &, bool &) {
    seen.push_back(In.Read()[0]);
  };
  const int count = TSLMainThreadSlots::Slots * 3;
  std::atomic<bool> done{false};
  TTestThread delivering([&] {
    for (int v = 0; v < count; ++v) {
      const double value = v;
      source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(&value, 1u));
    }
    done = true;
  });
  ASSERT_TRUE(Eventually([&] {
    Loop().RunPending();
    return done.load() && static_cast<int>(seen.size()) == count;
  }));
  for (int v = 0; v < count; ++v)
    ASSERT_EQ(seen[static_cast<size_t>(v)], v);
  EXPECT_EQ(static_cast<int>(received.size()), count);
  ASSERT_TRUE(delivering.Finished(EventuallyDeadline));
}

} // namespace
