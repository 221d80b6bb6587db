// Shared helpers of the pin framework tests: a thread with a bounded join, so
// that a lock that never comes free fails a test instead of hanging it.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>

class TTestThread {
public:
  explicit TTestThread(std::function<void()> body) {
    auto done = std::make_shared<std::promise<void>>();
    finished_ = done->get_future();
    thread_ = std::thread([body = std::move(body), done] {
      body();
      done->set_value();
    });
  }
  TTestThread(const TTestThread &) = delete;
  TTestThread &operator=(const TTestThread &) = delete;
  // A thread still blocked at destruction is left behind (the test has
  // already failed on Finished).
  ~TTestThread() {
    if (Finished(std::chrono::seconds(10)))
      thread_.join();
    else
      thread_.detach();
  }
  bool Finished(std::chrono::milliseconds within) {
    return finished_.wait_for(within) == std::future_status::ready;
  }

private:
  std::future<void> finished_;
  std::thread thread_;
};

// True when pred holds within the time; polls.
inline bool Eventually(const std::function<bool()> &pred, std::chrono::milliseconds within = std::chrono::seconds(10)) {
  auto end = std::chrono::steady_clock::now() + within;
  while (std::chrono::steady_clock::now() < end) {
    if (pred())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return pred();
}

// How long a test watches a thread that should stay blocked.
inline constexpr std::chrono::milliseconds BlockedFor{100};
