// TSLNotifyThread: decouples a producer that must return quickly (the media
// layer's streaming thread delivering captured blocks) from the work done per
// delivery. Notify wakes the thread; the callback then runs once on it. Wakes
// that arrive while the callback runs merge into one further run, so a callback
// should take all the work that has piled up (or leave the rest for the next
// Notify).
//
// Notify: any thread, any time while the object exists; no lock, no
// allocation. The callback: only on the notify thread, never twice at once.
// Terminate / destructor: any thread but the notify thread; they block until
// the running callback has returned, so the callback must never wait for the
// thread that destroys its owner (for example the main thread).
#pragma once

#include "framework/data/SLCallbackThread.h"

class TSLNotifyThread final : public TSLCallbackThread {
public:
  explicit TSLNotifyThread(TCallback callback);
  ~TSLNotifyThread() override;
  TSLNotifyThread(const TSLNotifyThread &) = delete;
  TSLNotifyThread &operator=(const TSLNotifyThread &) = delete;

  void Notify() { Wake(); }
};
