#include "framework/data/Slnotifythread.h"

TSLNotifyThread::TSLNotifyThread(TCallback callback)
    : TSLCallbackThread(std::move(callback), TWakes::Coalesced, 1) {
  Start();
}

TSLNotifyThread::~TSLNotifyThread() { Terminate(); }
