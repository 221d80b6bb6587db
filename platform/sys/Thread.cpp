#include "platform/sys/Thread.h"

#include <sys/resource.h>
#include <unistd.h>

namespace sys {

bool RaiseCurrentThreadPriority() {
  // On Linux the nice value is per thread when addressed by its task id.
  return setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), -5) == 0;
}

TThread::~TThread() {
  std::thread t;
  {
    std::lock_guard<std::mutex> lock(m_);
    t = std::move(thread_);
  }
  if (t.joinable()) {
    if (t.get_id() == std::this_thread::get_id())
      t.detach();
    else
      t.join();
  }
}

void TThread::Start() {
  std::lock_guard<std::mutex> lock(m_);
  if (started_.exchange(true))
    return;
  thread_ = std::thread([this] { Run(); });
  // The id is published here as well as in Run, so IsCurrentThread is right
  // even before the new thread has been scheduled.
  id_.store(thread_.get_id());
}

void TThread::Run() {
  id_.store(std::this_thread::get_id());
  if (priority_.load() == TThreadPriority::Highest)
    RaiseCurrentThreadPriority();
  try {
    Execute();
  } catch (...) {
    std::lock_guard<std::mutex> lock(m_);
    fatal_ = std::current_exception();
  }
  finished_.store(true);
  finished_.notify_all();
}

void TThread::Terminate() { terminated_.store(true); }

void TThread::WaitFor() {
  if (!started_.load() || IsCurrentThread())
    return;
  std::thread t;
  {
    std::lock_guard<std::mutex> lock(m_);
    t = std::move(thread_);
  }
  if (t.joinable())
    t.join();
  else
    finished_.wait(false); // another caller is joining it
}

bool TThread::IsCurrentThread() const {
  return started_.load() && id_.load() == std::this_thread::get_id();
}

std::exception_ptr TThread::FatalException() const {
  std::lock_guard<std::mutex> lock(m_);
  return fatal_;
}

} // namespace sys
