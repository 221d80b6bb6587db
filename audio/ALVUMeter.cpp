#include "audio/ALVUMeter.h"

#include <cmath>

#include "framework/dispatch/Vizazodizaro.h"

// ---------------------------------------------------------------------------
// TALMeterDCFilter

void TALMeterDCFilter::Free() {
  for (IIRState_32f *&state : states_)
    if (state != nullptr) {
      Vizazodizaro::ippsIIRFree_32f(state);
      state = nullptr;
    }
  states_.clear();
}

void TALMeterDCFilter::Reset(uint32_t Channels, uint32_t SampleRate) {
  Free();
  if (Channels == 0 || SampleRate == 0)
    return;
  // y[n] = x[n-1] - x[n-2] + (1 - 40 pi / fs) y[n-1] after normalising by
  // A0 = -1: a high-pass whose output lags the input by one sample.
  const long double fortyPi = 125.66370614359172954L;
  const float a1 = static_cast<float>(1.0L - fortyPi / static_cast<long double>(SampleRate));
  const float taps[6] = {0.0f, -1.0f, 1.0f, -1.0f, a1, 0.0f};
  states_.assign(Channels, nullptr);
  for (IIRState_32f *&state : states_)
    if (Vizazodizaro::ippsIIRInitAlloc_32f(&state, taps, 2, nullptr) < 0)
      state = nullptr;
}

bool TALMeterDCFilter::Filter(int Channel, float *Data, int Count) {
  if (Channel < 0 || static_cast<size_t>(Channel) >= states_.size() ||
      states_[static_cast<size_t>(Channel)] == nullptr)
    return false;
  return Vizazodizaro::ippsIIR_32f_I(Data, Count, states_[static_cast<size_t>(Channel)]) >= 0;
}

// ---------------------------------------------------------------------------
// TALVUMeter

void TALVUMeter::Reset(const WAVEFORMATEXTENSIBLE *Format) {
  if (Format == nullptr)
    return;
  TALCommonMeter::Reset(Format);
  InitBuffers();
  filter_.Reset(GetActiveChannels() > 0 ? GetStreamFormat().Format.nChannels : 0,
                GetStreamFormat().Format.nSamplesPerSec);
}

void TALVUMeter::GetMeterValue(double *Values) {
  const int M = GetActiveChannels();
  const int C = static_cast<int>(ChunkFrames());
  for (int ch = 0; ch < M; ++ch) {
    float *chunk = ChunkData(ch);
    Values[ch] = 0;
    if (chunk == nullptr || !filter_.Filter(ch, chunk, C))
      continue;
    Vizazodizaro::ippsSqr_32f_I(chunk, C);
    float sum = 0;
    Vizazodizaro::ippsSum_32f(chunk, C, &sum, ippAlgHintFast);
    Values[ch] = static_cast<double>(std::sqrt(static_cast<long double>(sum) / C));
  }
}

void ALVUMeterRegister() { RegisterClass(TALVUMeter::StaticClassInfo()); }
