#include "audio/ALPPMMeter.h"

#include <algorithm>
#include <cmath>

const TClassInfo &TALPPMMeter::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALPPMMeter>(
      "TALPPMMeter", &TALCommonMeter::StaticClassInfo(), [](TClassBuilder<TALPPMMeter> &c) {
        c.Integer("HalfLife", &TALPPMMeter::GetHalfLife, &TALPPMMeter::SetHalfLife, 1000);
      });
  return info;
}

TALPPMMeter::TALPPMMeter(TComponent *AOwner) : TALCommonMeter(AOwner) {}

void TALPPMMeter::SetHalfLife(int32_t Milliseconds) {
  TOWWriteSection section(GetLockObject());
  halfLife_ = Milliseconds;
}

void TALPPMMeter::Reset(const WAVEFORMATEXTENSIBLE *Format) {
  if (Format == nullptr)
    return;
  TALCommonMeter::Reset(Format);
  InitBuffers();
  filter_.Reset(GetActiveChannels() > 0 ? GetStreamFormat().Format.nChannels : 0,
                GetStreamFormat().Format.nSamplesPerSec);
}

void TALPPMMeter::GetMeterValue(double *Values) {
  const int M = GetActiveChannels();
  const int C = static_cast<int>(ChunkFrames());
  const double samplesPerHalfLife =
      GetStreamFormat().Format.nSamplesPerSec * static_cast<double>(halfLife_) / 1000;
  // Without a positive hold time the fall is unbounded: the peak follows the
  // signal. A negative one would otherwise make the peak grow by itself.
  const bool hold = samplesPerHalfLife > 0;
  for (int ch = 0; ch < M; ++ch) {
    float *chunk = ChunkData(ch);
    if (chunk == nullptr || !filter_.Filter(ch, chunk, C))
      continue;
    double p = peaks_[ch];
    for (int i = 0; i < C; ++i) {
      const float a = std::fabs(chunk[i]);
      if (a > p)
        p = a;
      else if (p > 0.005)
        p = hold ? std::max<double>(a, p - p / samplesPerHalfLife) : a;
      else
        p = 0;
    }
    peaks_[ch] = p;
  }
  std::copy(std::begin(peaks_), std::end(peaks_), Values);
}

void ALPPMMeterRegister() { RegisterClass(TALPPMMeter::StaticClassInfo()); }
