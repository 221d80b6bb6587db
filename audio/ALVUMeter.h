// The VU meter: the root mean square of each chunk after a DC-blocking
// first-order high-pass (corner near 20 Hz), in sample units.
#pragma once

#include <vector>

#include "audio/ALCommonMeter.h"
#include "framework/dispatch/IppTypes.h"

// The DC-blocking filter that both meters run over each channel: one IIR
// state per channel of the stream, re-created by every start. Channels of a
// format the meter cannot read get no state.
class TALMeterDCFilter {
public:
  TALMeterDCFilter() = default;
  TALMeterDCFilter(const TALMeterDCFilter &) = delete;
  TALMeterDCFilter &operator=(const TALMeterDCFilter &) = delete;
  ~TALMeterDCFilter() { Free(); }

  // One fresh state per channel for SampleRate; none when Channels or
  // SampleRate is 0.
  void Reset(uint32_t Channels, uint32_t SampleRate);
  // Filters Count floats of Channel in place; false (nothing done) when the
  // channel has no state.
  bool Filter(int Channel, float *Data, int Count);
  void Free();

private:
  std::vector<IIRState_32f *> states_;
};

class TALVUMeter : public TALCommonMeter {
  CLASSLIB_SIMPLE_CLASS(TALVUMeter, TALCommonMeter)
public:
  using TALCommonMeter::TALCommonMeter;
  // The base's reset, the chunk buffers, then fresh filter states.
  void Reset(const WAVEFORMATEXTENSIBLE *Format) override;
  void GetMeterValue(double *Values) override;

private:
  TALMeterDCFilter filter_;
};

void ALVUMeterRegister();
