#include "framework/data/SLCallbackThread.h"

TSLCallbackThread::TSLCallbackThread(TCallback callback, TWakes wakes, int32_t maxWakes)
    : callback_(std::move(callback)), wakes_(0, wakes == TWakes::Coalesced ? 1 : maxWakes) {
  SetPriority(sys::TThreadPriority::Highest);
}

TSLCallbackThread::~TSLCallbackThread() { Terminate(); }

void TSLCallbackThread::Terminate() {
  sys::TThread::Terminate();
  // A refused wake (the counted semaphore is full) needs no retry: the thread
  // has a wake-up waiting and sees the flag right after taking it.
  wakes_.Release();
  WaitFor();
}

void TSLCallbackThread::Execute() {
  while (!Terminated()) {
    wakes_.Wait();
    if (Terminated())
      break;
    if (!callback_)
      continue;
    try {
      callback_(this);
    } catch (...) {
      // The delivery that failed is lost; later ones must still run.
    }
  }
}
