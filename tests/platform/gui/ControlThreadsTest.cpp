#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "tests/support/Wait.h"

namespace {

// Counts repaint requests and checks they come on the main thread only.
class TCountingHost : public IControlHost {
public:
  void InvalidateRect(const TRect *) override {
    EXPECT_EQ(std::this_thread::get_id(), Main);
    ++Invalidations;
  }
  bool Focused() const override { return false; }
  void SetFocus() override {}
  TPoint ClientToScreen(TPoint P) const override { return P; }
  TPoint ScreenToClient(TPoint P) const override { return P; }
  TPoint CursorPos() const override { return {}; }
  void SetCursor(TCursor) override {}
  void BoundsChanged(const TRect &) override {}
  void ControlDestroyed() override {}

  std::thread::id Main = std::this_thread::get_id();
  int Invalidations = 0;
};

class TControlThreadsTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    mainloop::TMainLoop::Main().RunPending();
  }
};

TEST_F(TControlThreadsTest, InvalidateFromAnotherThreadPostsOneRepaintToTheMainThread) {
  TCountingHost Host;
  TCustomControl Control(nullptr);
  Control.SetHost(&Host);
  TTestThread Producer([&] {
    for (int I = 0; I < 1000; ++I)
      Control.Invalidate();
  });
  ASSERT_TRUE(Producer.Finished(EventuallyDeadline));
  EXPECT_EQ(Host.Invalidations, 0); // nothing on the delivering thread
  EXPECT_TRUE(Control.InvalidatePending());
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(Host.Invalidations, 1);
  EXPECT_FALSE(Control.InvalidatePending());
  // A later delivery asks again.
  TTestThread Again([&] { Control.Invalidate(); });
  ASSERT_TRUE(Again.Finished(EventuallyDeadline));
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(Host.Invalidations, 2);
}

TEST_F(TControlThreadsTest, InvalidationsWhileTheMainThreadPumpsAreNeverLost) {
  TCountingHost Host;
  TCustomControl Control(nullptr);
  Control.SetHost(&Host);
  std::atomic<bool> Done{false};
  std::atomic<int> Sent{0};
  TTestThread Producer([&] {
    for (int I = 0; I < 2000; ++I) {
      Control.Invalidate();
      ++Sent;
    }
    Done = true;
  });
  while (!Done)
    mainloop::TMainLoop::Main().RunPending();
  ASSERT_TRUE(Producer.Finished(EventuallyDeadline));
  mainloop::TMainLoop::Main().RunPending();
  // The last request after the last repaint was served.
  EXPECT_FALSE(Control.InvalidatePending());
  EXPECT_GE(Host.Invalidations, 1);
  EXPECT_LE(Host.Invalidations, Sent.load());
}

TEST_F(TControlThreadsTest, ARepaintPostedForADestroyedControlIsDropped) {
  TCountingHost Host;
  auto Control = std::make_unique<TCustomControl>(nullptr);
  Control->SetHost(&Host);
  TTestThread Producer([&] { Control->Invalidate(); });
  ASSERT_TRUE(Producer.Finished(EventuallyDeadline));
  Control.reset();
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(Host.Invalidations, 0);
}

} // namespace
