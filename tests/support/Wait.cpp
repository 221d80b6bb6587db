#include "tests/support/Wait.h"

bool Eventually(const std::function<bool()> &pred, std::chrono::milliseconds within) {
  return EventuallyPumping([] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }, pred,
                           within);
}

bool EventuallyPumping(const std::function<void()> &pump, const std::function<bool()> &pred,
                       std::chrono::milliseconds within) {
  const auto end = std::chrono::steady_clock::now() + within;
  while (std::chrono::steady_clock::now() < end) {
    if (pred())
      return true;
    pump();
  }
  return pred();
}

TTestThread::TTestThread(std::function<void()> body) {
  auto done = std::make_shared<std::promise<void>>();
  finished_ = done->get_future();
  thread_ = std::thread([body = std::move(body), done] {
    body();
    done->set_value();
  });
}

TTestThread::~TTestThread() {
  if (Finished(EventuallyDeadline))
    thread_.join();
  else
    thread_.detach();
}

bool TTestThread::Finished(std::chrono::milliseconds within) {
  return finished_.wait_for(within) == std::future_status::ready;
}
