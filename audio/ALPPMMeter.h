// The peak meter: the largest absolute sample of the DC-filtered signal,
// held and falling back by 1/(fs x HalfLife / 1000) of itself per sample;
// levels at or below 0.005 drop to 0. The held peaks carry over from chunk to
// chunk and from one stream to the next.
#pragma once

#include "audio/ALVUMeter.h"

class TALPPMMeter : public TALCommonMeter {
  CLASSLIB_CLASS(TALPPMMeter)
public:
  explicit TALPPMMeter(TComponent *AOwner);

  void Reset(const WAVEFORMATEXTENSIBLE *Format) override;
  void GetMeterValue(double *Values) override;

  int32_t GetHalfLife() const { return halfLife_; }
  // Milliseconds, under the meter's write lock. 0 or less: no hold, the peak
  // follows the rectified signal sample by sample.
  void SetHalfLife(int32_t Milliseconds);
  double GetPeakValue(int Channel) const { return peaks_[static_cast<size_t>(Channel)]; }

private:
  double peaks_[MaxChannels] = {};
  TALMeterDCFilter filter_;
  int32_t halfLife_ = 1000;
};

void ALPPMMeterRegister();
