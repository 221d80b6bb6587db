#include "platform/mainloop/HiddenWindow.h"

namespace mainloop {

THiddenWindow::THiddenWindow(TMainLoop &loop)
    : loop_(loop), handle_(loop.AddTarget()), state_(std::make_shared<TState>()) {
  state_->proc = [](const TMessage &) {};
}

THiddenWindow::~THiddenWindow() { loop_.RemoveTarget(handle_); }

TWndProc THiddenWindow::SetWindowProc(TWndProc proc) {
  std::lock_guard<std::mutex> lock(state_->m);
  TWndProc previous = std::move(state_->proc);
  state_->proc = proc ? std::move(proc) : [](const TMessage &) {};
  return previous;
}

std::function<void()> THiddenWindow::Delivery(const TMessage &message) const {
  return [state = state_, message] {
    TWndProc proc;
    {
      std::lock_guard<std::mutex> lock(state->m);
      proc = state->proc;
    }
    proc(message);
  };
}

bool THiddenWindow::PostMessage(uint32_t msg, uint64_t wParam, int64_t lParam) {
  return loop_.Post(handle_, Delivery(TMessage{msg, wParam, lParam}));
}

bool THiddenWindow::PostMessageLater(uint32_t msg, uint64_t wParam, int64_t lParam,
                                     std::chrono::milliseconds within) {
  return loop_.PostLater(handle_, Delivery(TMessage{msg, wParam, lParam}), within);
}

} // namespace mainloop
