// A worker thread in the shape the framework's thread classes expect: a
// descendant overrides Execute and polls Terminated; the owner asks it to end
// with Terminate and waits for it with WaitFor.
//
// Start, Terminate, WaitFor and the queries may be called from any thread;
// WaitFor must not be called on the thread itself. A descendant must have its
// thread ended (WaitFor) before its own destructor finishes, since Execute runs
// on the descendant's members; the base destructor only joins as a last resort.
// An exception that escapes Execute ends the thread quietly and is kept in
// FatalException instead of ending the process.
#pragma once

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace sys {

enum class TThreadPriority { Normal, Highest };

class TThread {
public:
  TThread(const TThread &) = delete;
  TThread &operator=(const TThread &) = delete;
  virtual ~TThread();

  // Starts Execute on a new thread; a second call does nothing.
  void Start();
  // Sets the terminated flag; Execute is expected to notice it.
  virtual void Terminate();
  bool Terminated() const { return terminated_.load(); }
  // Waits until Execute has returned and the thread has ended. Returns at
  // once when the thread never started or when called on the thread itself.
  void WaitFor();
  // True once Execute has returned.
  bool Finished() const { return finished_.load(); }
  bool Started() const { return started_.load(); }
  bool IsCurrentThread() const;

  // Takes effect when the thread starts. Highest is best effort: it asks for a
  // nice value of -5 and goes on at normal priority when that is refused.
  void SetPriority(TThreadPriority priority) { priority_.store(priority); }
  TThreadPriority Priority() const { return priority_.load(); }

  std::exception_ptr FatalException() const;

protected:
  TThread() = default;
  virtual void Execute() = 0;

private:
  void Run();

  std::atomic<bool> terminated_{false};
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
  std::atomic<TThreadPriority> priority_{TThreadPriority::Normal};
  std::atomic<std::thread::id> id_{};
  mutable std::mutex m_; // guards thread_ and fatal_
  std::thread thread_;
  std::exception_ptr fatal_;
};

// Asks for the highest normal (non-real-time) priority for the calling thread.
// Returns whether the system granted it.
bool RaiseCurrentThreadPriority();

} // namespace sys
