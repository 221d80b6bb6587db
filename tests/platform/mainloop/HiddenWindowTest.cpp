#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/mainloop/HiddenWindow.h"

using mainloop::THiddenWindow;
using mainloop::TMainLoop;
using mainloop::TMessage;

TEST(THiddenWindow, PostedMessagesReachTheProcedureInOrder) {
  TMainLoop loop;
  THiddenWindow window(loop);
  std::vector<TMessage> got;
  window.SetWindowProc([&](const TMessage &m) { got.push_back(m); });
  std::thread([&] {
    EXPECT_TRUE(window.PostMessage(0x0A00, 7, 0));
    EXPECT_TRUE(window.PostMessage(1025, 8, -1));
  }).join();
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(loop.RunPending(), 2u);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].Msg, 0x0A00u);
  EXPECT_EQ(got[0].WParam, 7u);
  EXPECT_EQ(got[1].Msg, 1025u);
  EXPECT_EQ(got[1].LParam, -1);
}

TEST(THiddenWindow, AHookPassesOtherMessagesToThePreviousProcedure) {
  TMainLoop loop;
  THiddenWindow window(loop);
  std::vector<uint32_t> inner, hook;
  window.SetWindowProc([&](const TMessage &m) { inner.push_back(m.Msg); });
  mainloop::TWndProc previous = window.SetWindowProc(nullptr);
  window.SetWindowProc([&, previous](const TMessage &m) {
    if (m.Msg == 0x0A00)
      hook.push_back(m.Msg);
    else
      previous(m);
  });
  window.PostMessage(0x0A00, 0, 0);
  window.PostMessage(5, 0, 0);
  loop.RunPending();
  EXPECT_EQ(hook, std::vector<uint32_t>{0x0A00});
  EXPECT_EQ(inner, std::vector<uint32_t>{5});
}

TEST(THiddenWindow, ADestroyedWindowsMessagesAreDiscarded) {
  TMainLoop loop;
  int handled = 0;
  auto window = std::make_unique<THiddenWindow>(loop);
  THiddenWindow other(loop);
  window->SetWindowProc([&](const TMessage &) { ++handled; });
  other.SetWindowProc([&](const TMessage &) { handled += 10; });
  window->PostMessage(1, 0, 0);
  other.PostMessage(1, 0, 0);
  window.reset();
  EXPECT_EQ(loop.RunPending(), 1u);
  EXPECT_EQ(handled, 10);
}

TEST(THiddenWindow, AWindowMayBeDestroyedFromItsOwnProcedure) {
  TMainLoop loop;
  auto window = std::make_unique<THiddenWindow>(loop);
  int handled = 0;
  window->SetWindowProc([&](const TMessage &) {
    ++handled;
    window.reset();
  });
  window->PostMessage(1, 0, 0);
  window->PostMessage(1, 0, 0);
  loop.RunPending();
  EXPECT_EQ(handled, 1);
  EXPECT_FALSE(window);
}
