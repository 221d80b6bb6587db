// Clock services, and the hand-over of work to the main thread.
//
// Shared clock generator: SLGetClockGen hands a client a tick of a given
// period. All clients of one period share one TSLClockGen: one multimedia timer
// and one highest-priority TSLClockGenThread. The timer only counts a tick into
// the thread's semaphore; the thread runs every client's callback once per
// tick, in registration order, under the global lock for reading and the
// generator's write lock, which is every client's group lock (the client joins
// the generator's lock group). A client's code that takes its own write lock
// therefore excludes the tick. Ticks are counted, not merged: after a stall the
// waiting ticks (at most 10000) run back to back.
//   SLGetClockGen / SLReleaseClockGen: any thread (in the program, the main
//   thread); both hold the global lock for writing, which also guards the
//   generator list. A client may release itself from inside its own callback.
//   A client callback that raises does not stop the tick: the exception is
//   dropped and the other clients and later ticks still run.
// After the last release of a period the generator leaves the list at once (a
// new SLGetClockGen makes a new one) and is destroyed by its own thread at the
// next tick, which the release pumps; the thread then ends.
// SLClockGenFinalization, called before the framework's finalization, waits
// until every generator thread has ended.
//
// Stand-alone clock threads: TSLClockThread runs its callback once for every
// Clock call made on it (at most 300000 calls wait; further ones are lost).
// TSLEventClockThread runs it once for any number of Clock calls made while it
// was busy. Both run at the highest priority from construction to destruction;
// Clock may be called from any thread; the destructor waits until a running
// callback has returned.
//
// Main-thread hand-over: TSLMainThreadNotify calls its callback on the main
// thread once per Notify, made from any thread, by posting message 0x0A00 to
// one hidden window that exists while any notifier lives; a message whose
// notifier is gone is ignored. TSLMainThreadBufferQueue hands buffers from a
// producing thread to a main-thread callback, at most 400 outstanding.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/data/SLCallbackThread.h"
#include "framework/data/SLVariantStorages.h"
#include "framework/pins/OWPins_object.h"
#include "platform/mainloop/HiddenWindow.h"
#include "platform/sys/MMTimer.h"
#include "platform/sys/Sync.h"
#include "platform/sys/Thread.h"

class TSLClockGen;

// ---------------------------------------------------------------------------
// Shared clock generator

// One client registration: the handle SLGetClockGen returns. Owned by its
// generator; valid until released.
class TSLClockGenItem {
public:
  using TCallback = std::function<void()>;

  TSLClockGenItem(TCallback callback, TSLClockGen *generator)
      : callback_(std::move(callback)), generator_(generator) {}
  TSLClockGenItem(const TSLClockGenItem &) = delete;
  TSLClockGenItem &operator=(const TSLClockGenItem &) = delete;

  // Lock against the generator's own tick.
  void BeginWrite();
  void EndWrite();
  // Counts one extra tick, so the generator thread runs one more at once.
  void ThreadedPump();
  TSLClockGen *GetGenerator() const { return generator_; }

private:
  friend class TSLClockGen;
  const TCallback callback_;
  TSLClockGen *const generator_;
  // Set under the generator's write lock when the item is released, so a
  // tick that is walking a snapshot of the clients skips it.
  bool removed_ = false;
};

class TSLClockGenThread final : public sys::TThread {
public:
  static constexpr int32_t MaxPendingTicks = 10000;

  explicit TSLClockGenThread(TSLClockGen *generator);
  ~TSLClockGenThread() override;
  TSLClockGenThread(const TSLClockGenThread &) = delete;
  TSLClockGenThread &operator=(const TSLClockGenThread &) = delete;

  // Counts one tick; a tick past the maximum is not counted.
  void Pump() { ticks_.Release(); }
  // On the thread itself: only marks it (it ends when the tick returns).
  // From another thread: marks it, wakes it and waits until it has ended.
  void Terminate() override;

private:
  void Execute() override;

  TSLClockGen *const generator_;
  sys::TSemaphore ticks_{0, MaxPendingTicks};
};

// Guarded by its own write lock (the lock group of all its clients).
class TSLClockGen final : public TOWObject {
public:
  explicit TSLClockGen(uint32_t Period);
  ~TSLClockGen() override;

  // Starts the periodic timer.
  void Resume();
  // Counts one tick (the timer's callback; any thread).
  void Clock();
  TSLClockGenItem *AddReff(TOWObject *Client, TSLClockGenItem::TCallback Callback);
  // True when the generator has no client left.
  bool RemoveReff(TSLClockGenItem *Item, TOWObject *Client);
  // Runs one tick on the generator's thread, which holds the global lock for
  // reading. True when the tick found no client left: the thread then
  // destroys the generator.
  bool SyncClock();

  uint32_t GetPeriod() const { return period_; }
  const TSLClockGenThread *GetThread() const { return thread_.get(); }
  sys::TTimerId GetTimer() const { return timer_; }

private:
  const uint32_t period_;
  sys::TTimerId timer_ = 0;
  std::vector<std::shared_ptr<TSLClockGenItem>> clients_;
  int32_t tickNesting_ = 0;
  std::unique_ptr<TSLClockGenThread> thread_;
};

TSLClockGenItem *SLGetClockGen(uint32_t Period, TSLClockGenItem::TCallback Callback,
                               TOWObject *Client);
// True when no generator at all is left in the generator list.
bool SLReleaseClockGen(TSLClockGenItem *Item, TOWObject *Client);
// Generator threads that have not ended yet.
int32_t SLClockGenLiveThreads();
// Generators in the list (those a new client of their period would join).
int SLClockGenCount();
// Waits until every generator thread has ended and frees what is left. A
// generator that still has clients is stopped here rather than waited for.
void SLClockGenFinalization();

// ---------------------------------------------------------------------------
// Stand-alone clock threads

class TSLClockThread final : public TSLCallbackThread {
public:
  static constexpr int32_t MaxPendingTicks = 300000;

  explicit TSLClockThread(TCallback callback);
  ~TSLClockThread() override;
  TSLClockThread(const TSLClockThread &) = delete;
  TSLClockThread &operator=(const TSLClockThread &) = delete;

  void Clock() { Wake(); }
};

class TSLEventClockThread final : public TSLCallbackThread {
public:
  explicit TSLEventClockThread(TCallback callback);
  ~TSLEventClockThread() override;
  TSLEventClockThread(const TSLEventClockThread &) = delete;
  TSLEventClockThread &operator=(const TSLEventClockThread &) = delete;

  void Clock() { Wake(); }
};

// ---------------------------------------------------------------------------
// Main-thread hand-over

// The private message of the hand-over window; the same for all notifiers.
constexpr uint32_t SLMainThreadNotifyMessage = 0x0A00;

// Registration and destruction take the global lock for writing; the window
// procedure takes it for reading around the look-up and the callback, so a
// callback runs only while its notifier is registered, and a notifier cannot
// be unregistered by another thread while its callback runs. Construct the
// first notifier on the main thread (it creates the window). Notify: any
// thread, no lock. The callback: main thread, one message at a time; an
// exception it raises passes out to the main loop.
class TSLMainThreadNotify {
public:
  using TCallback = std::function<void(TSLMainThreadNotify *Sender)>;

  explicit TSLMainThreadNotify(TCallback Callback);
  ~TSLMainThreadNotify();
  TSLMainThreadNotify(const TSLMainThreadNotify &) = delete;
  TSLMainThreadNotify &operator=(const TSLMainThreadNotify &) = delete;

  // Posts one call of the callback to the main thread. False when the message
  // could not be posted (the main loop has shut down): it is then lost.
  bool Notify();
  // The same for a call only a display shows: it goes with the main thread's
  // next wake-up, at the latest after mainloop::DisplayDelay.
  bool NotifyLater();
  // Calls the callback now, when assigned (main thread, from the window).
  void SyncNotify();

private:
  // The 64-bit name the posted messages carry, never reused.
  const uint64_t id_;
  TCallback callback_; // cleared under the global write lock by the destructor
  mainloop::THiddenWindow *window_ = nullptr; // the node's, which outlives us
};

// The handle of the hand-over window, 0 while no notifier lives.
mainloop::TTargetId SLMainWindowHandle();

// The slot gate of the buffer queue: a semaphore of 400 slots, and a closed
// state in which a waiting producer is sent home so the queue can go away.
class TSLMainThreadSlots {
public:
  static constexpr int32_t Slots = 400;

  TSLMainThreadSlots() = default;
  TSLMainThreadSlots(const TSLMainThreadSlots &) = delete;
  TSLMainThreadSlots &operator=(const TSLMainThreadSlots &) = delete;

  // Counts the caller in and waits for a slot; false (counted out again) when
  // the gate closed first.
  bool Enter();
  // As Enter, without waiting: false (counted out again) when no slot is free.
  bool TryEnter();
  // Counts a producer out after Enter returned true.
  void Leave();
  void Release() { slots_.Release(); }
  // Refuses new producers, wakes waiting ones and waits until every producer
  // has left.
  void Close();
  int32_t Free() const { return slots_.Count(); }

private:
  sys::TSemaphore slots_{Slots, Slots};
  std::mutex m_; // guards inside_ and closed_
  std::condition_variable left_;
  int inside_ = 0;
  bool closed_ = false;
};

// Buffers from a producing thread to a main-thread callback, in order. Each
// AddBuffer holds one of 400 slots until its message has been handled; a
// producer that finds none waits (while holding whatever locks its caller
// holds: keep the main thread's handling free of those locks). With Force
// clear a buffer is stored only while no other waits, so the main thread sees
// the oldest waiting one and later ones are dropped. AddBuffer: any thread but
// the main thread. ExtractBuffer, the callback: main thread. The buffer list
// has its own lock; the queue itself none. Destroying the queue sends a
// producer waiting for a slot home (AddBuffer returns false) and waits until
// no producer is inside AddBuffer.
template <class TBuffer> class TSLMainThreadBufferQueueT {
public:
  using TCallback = std::function<void(TSLMainThreadBufferQueueT *Sender, const TBuffer &Buffer)>;

  explicit TSLMainThreadBufferQueueT(TCallback Callback)
      : callback_(std::move(Callback)), notifier_(std::make_unique<TSLMainThreadNotify>(
                                            [this](TSLMainThreadNotify *) { ExtractBuffer(); })) {}

  ~TSLMainThreadBufferQueueT() {
    slots_.Close();
    notifier_.reset(); // no ExtractBuffer runs after this
    list_.Clear();
  }
  TSLMainThreadBufferQueueT(const TSLMainThreadBufferQueueT &) = delete;
  TSLMainThreadBufferQueueT &operator=(const TSLMainThreadBufferQueueT &) = delete;

  // False when the queue is being destroyed (nothing was handed over).
  bool AddBuffer(const TBuffer &Buffer, bool Force) {
    if (!slots_.Enter())
      return false;
    list_.Add(Buffer, Force);
    // Every call posts one message, also when the buffer was dropped. A
    // message that cannot be posted would never give its slot back.
    if (!notifier_->Notify())
      slots_.Release();
    slots_.Leave();
    return true;
  }

  // As AddBuffer, without waiting for a slot: false (nothing handed over)
  // when none is free. For the main thread, which frees the slots and so must
  // never wait for one.
  bool TryAddBuffer(const TBuffer &Buffer, bool Force) {
    if (!slots_.TryEnter())
      return false;
    list_.Add(Buffer, Force);
    if (!notifier_->Notify())
      slots_.Release();
    slots_.Leave();
    return true;
  }
  // Main thread: hands every waiting buffer to the callback now, oldest first.
  // Their messages still arrive; they find nothing and give their slots back.
  void ExtractWaiting() {
    TBuffer buffer;
    while (list_.PopFirst(buffer))
      if (callback_)
        callback_(this, buffer);
  }

  // Drops the waiting buffers; the slots come back as their messages are handled.
  void Clear() { list_.Clear(); }
  int32_t GetFreeSlots() const { return slots_.Free(); }

private:
  // The notifier's callback (main thread): the oldest waiting buffer goes to
  // the callback. The message's slot comes back before the callback runs: a
  // producer that waits for a slot may hold locks the callback needs (a
  // filter's lock group, which its main-thread send takes too), so it must be
  // let through first.
  void ExtractBuffer() {
    TBuffer buffer;
    const bool popped = list_.PopFirst(buffer);
    slots_.Release();
    if (popped && callback_)
      callback_(this, buffer);
  }

  const TCallback callback_;
  TSLBufferListT<TBuffer> list_;
  TSLMainThreadSlots slots_;
  std::unique_ptr<TSLMainThreadNotify> notifier_;
};

using TSLMainThreadBufferQueue = TSLMainThreadBufferQueueT<ISLDataBufferPtr>;
