#pragma once
// A scope channel's side of the channel data store, without a scope: the
// lock, the incoming and draw buffers, the size limit and counters of what
// the store asked of the channel. Refresh moves the incoming buffers to the
// draw buffers as the scope's refresh step does.

#include <atomic>
#include <cstdint>

#include "scope/SLChannelData.h"

class TFakeChannelHost : public ISLChannelDataHost {
public:
  sys::TCriticalSection &ChannelLock() override { return Lock; }
  ISLRealBufferPtr &InX() override { return InXBuffer; }
  ISLRealBufferPtr &InY() override { return InYBuffer; }
  ISLRealBufferPtr DrawX() override { return DrawXBuffer; }
  ISLRealBufferPtr DrawY() override { return DrawYBuffer; }
  uint32_t SizeLimit() override { return Limit.load(); }
  double GetSampleRateValue() override { return SampleRate; }
  void SetSampleRateValue(double Value) override {
    SampleRate = Value;
    ++FreqInvalidations;
  }
  void SetNewData() override { NewData = true; }
  void SetRecalcRects() override { RecalcRects = true; }
  void Invalidate() override { ++Invalidations; }

  // A second buffer over the same store: copy-on-write keeps it apart.
  static ISLRealBufferPtr Share(const ISLRealBufferPtr &B) {
    return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(B.Get())));
  }

  // Moves new incoming data to the draw buffers under the channel lock.
  bool Refresh() {
    sys::TCriticalSectionLock Hold(Lock);
    if (!NewData.exchange(false))
      return false;
    DrawXBuffer = Share(InXBuffer);
    DrawYBuffer = Share(InYBuffer);
    return true;
  }

  sys::TCriticalSection Lock;
  ISLRealBufferPtr InXBuffer{com::MakeCom<TSLRealBuffer>()};
  ISLRealBufferPtr InYBuffer{com::MakeCom<TSLRealBuffer>()};
  ISLRealBufferPtr DrawXBuffer{com::MakeCom<TSLRealBuffer>()};
  ISLRealBufferPtr DrawYBuffer{com::MakeCom<TSLRealBuffer>()};
  std::atomic<uint32_t> Limit{0};
  double SampleRate = 0;
  int FreqInvalidations = 0;
  std::atomic<bool> NewData{false};
  std::atomic<bool> RecalcRects{false};
  std::atomic<int> Invalidations{0};
};
