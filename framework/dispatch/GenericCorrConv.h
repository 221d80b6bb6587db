// Path thresholds of the real convolution and of the real and complex correlations. Below them a
// direct sum is cheaper than the transforms; both paths give the defined result up to rounding.
#pragma once

namespace dispatch_filters {

// Convolution: direct below this many outputs or below this many kernel samples;
// otherwise one transform while the signal is shorter than ratio · kernel, else
// overlap-save blocks.
inline constexpr int kConvDirectOutputs = 150;
inline constexpr int kConvDirectTaps = 32;
inline constexpr int kConvLengthRatio = 3;
// Autocorrelation: direct below this many lags (real, complex).
inline constexpr int kAutoCorrDirectLags = 600;
inline constexpr int kAutoCorrDirectLagsComplex = 96;
// Cross-correlation: the transform from an estimated lags · shorter / longer of this.
inline constexpr long long kCrossCorrEstimate = 512;

bool crossCorrTakesTransform(long long lags, int len1, int len2);

} // namespace dispatch_filters
