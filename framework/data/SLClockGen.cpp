#include "framework/data/SLClockGen.h"

// ---- stand-alone clock threads ----------------------------------------------

TSLClockThread::TSLClockThread(TCallback callback)
    : TSLCallbackThread(std::move(callback), TWakes::Counted, MaxPendingTicks) {
  Start();
}

TSLClockThread::~TSLClockThread() { Terminate(); }

TSLEventClockThread::TSLEventClockThread(TCallback callback)
    : TSLCallbackThread(std::move(callback), TWakes::Coalesced, 1) {
  Start();
}

TSLEventClockThread::~TSLEventClockThread() { Terminate(); }
