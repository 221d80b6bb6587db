// A hidden window of the main thread: the target of posted messages. Any
// thread may post to it; the messages reach its window procedure on the main
// thread, in posting order, while the window exists. Destroying the window
// discards its messages still queued.
//
// Construct, destroy and set the window procedure on the main thread;
// PostMessage is safe from any thread and never blocks.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/mainloop/MainLoop.h"

namespace mainloop {

struct TMessage {
  uint32_t Msg;
  uint64_t WParam;
  int64_t LParam;
};

using TWndProc = std::function<void(const TMessage &)>;

class THiddenWindow {
public:
  explicit THiddenWindow(TMainLoop &loop = TMainLoop::Main());
  ~THiddenWindow();
  THiddenWindow(const THiddenWindow &) = delete;
  THiddenWindow &operator=(const THiddenWindow &) = delete;

  // Installs a window procedure and returns the one it replaces (at first one
  // that ignores every message), so a caller can hook it and restore it.
  TWndProc SetWindowProc(TWndProc proc);
  // False when the message could not be queued (the loop has shut down).
  bool PostMessage(uint32_t msg, uint64_t wParam, int64_t lParam);
  // A message only a display shows: it reaches the procedure within the given
  // delay, with whatever else wakes the main thread first
  // (TMainLoop::PostLater).
  bool PostMessageLater(uint32_t msg, uint64_t wParam, int64_t lParam,
                        std::chrono::milliseconds within);
  TTargetId Handle() const { return handle_; }

private:
  std::function<void()> Delivery(const TMessage &message) const;

  // Shared with the queued messages, so a message already running when the
  // window goes still finds its procedure.
  struct TState {
    std::mutex m;
    TWndProc proc;
  };

  TMainLoop &loop_;
  const TTargetId handle_;
  std::shared_ptr<TState> state_;
};

} // namespace mainloop
