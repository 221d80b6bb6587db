// The recorder's metering chain behind a hand-driven source: a VU meter and
// a peak meter (two pins, default settings, values on the main thread) and an
// audio-to-real converter on one audio output. The values that reach the main
// thread equal a computation of our own over the same samples.
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALAudioToReal.h"
#include "audio/ALPPMMeter.h"
#include "audio/ALVUMeter.h"
#include "tests/audio/AudioChainSupport.h"

namespace {

TEST(MeterChain, ValuesReachTheMainThreadAsComputedIndependently) {
  TestLoop().RunPending();
  TTestAudioSource source;
  TOwnedPtr<TALVUMeter> vu(CreateObject<TALVUMeter>(nullptr));
  TOwnedPtr<TALPPMMeter> peak(CreateObject<TALPPMMeter>(nullptr));
  TOwnedPtr<TALAudioToReal> split(CreateObject<TALAudioToReal>(nullptr));
  ASSERT_TRUE(vu->GetInputPin()->Connect(source.pin.get()));
  ASSERT_TRUE(peak->GetInputPin()->Connect(source.pin.get()));
  ASSERT_TRUE(split->GetInputPin()->Connect(source.pin.get()));
  std::vector<double> vuSeen[2], peakSeen[2];
  vu->OnValueChange.Fn = [&](TObject *, int ch, double v, double max) {
    EXPECT_EQ(max, 32767);
    vuSeen[ch].push_back(v);
  };
  peak->OnValueChange.Fn = [&](TObject *, int ch, double v, double) { peakSeen[ch].push_back(v); };
  // The scope side: real buffers per channel.
  std::vector<double> scope[2];
  std::vector<TOwnedPtr<TSLOWRealSinkPin>> scopePins;
  for (int ch = 0; ch < 2; ++ch) {
    scopePins.emplace_back(CreateObject<TSLOWRealSinkPin>(
        nullptr,
        [&scope, ch](TOWPin *, const TGUID *, IOWNotifyOperation *op,
                     TOWNotifyState) -> TOWNotifyResult {
          if (auto *b = OWOperationAs<TOWSuppliedBufferOperation>(op)) {
            const auto *d = reinterpret_cast<const double *>(b->Buffer()->ByteRead());
            scope[ch].insert(scope[ch].end(), d, d + b->Buffer()->GetByteSize() / sizeof(double));
          }
          return {};
        }));
    ASSERT_TRUE(scopePins.back()->Connect(split->GetOutputPin(ch)));
  }

  // A second of two different signals, 1024-frame buffers, the main thread
  // running after every buffer as the recorder's would.
  const uint32_t fs = 44100;
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0, 3000);
  std::vector<int32_t> samples[2];
  source.Start(fs, 16, 2);
  for (int b = 0; b < 44; ++b) {
    std::vector<int32_t> frames;
    for (int f = 0; f < 1024; ++f) {
      const double t = (b * 1024 + f) / static_cast<double>(fs);
      const int32_t left = static_cast<int32_t>(8000 * std::sin(2 * M_PI * 437 * t) + 500);
      const int32_t right = static_cast<int32_t>(std::clamp(noise(rng), -32768.0, 32767.0));
      frames.push_back(left);
      frames.push_back(right);
      samples[0].push_back(left);
      samples[1].push_back(right);
    }
    source.Send(TestAudioBuffer(fs, 16, 2, frames));
    TestLoop().RunPending();
  }

  const size_t chunk = fs / 10;
  const size_t chunks = (samples[0].size() - 1) / chunk; // one frame to spare
  for (int ch = 0; ch < 2; ++ch) {
    const TReferenceReadings ref = ReferenceReadings(fs, samples[ch], chunk, chunks);
    const std::vector<double> &vuRef = ref.Vu, &peakRef = ref.Peak;
    ASSERT_EQ(vuSeen[ch].size(), vuRef.size()) << "channel " << ch;
    for (size_t c = 0; c < vuRef.size(); ++c)
      EXPECT_NEAR(vuSeen[ch][c], vuRef[c], vuRef[c] * 1e-4) << "channel " << ch << " chunk " << c;
    // Peaks are delivered when they change.
    ASSERT_FALSE(peakSeen[ch].empty());
    EXPECT_NEAR(peakSeen[ch].back(), peakRef.back(), peakRef.back() * 1e-4) << "channel " << ch;
    ASSERT_EQ(scope[ch].size(), samples[ch].size());
    for (size_t i = 0; i < samples[ch].size(); i += 997)
      EXPECT_EQ(scope[ch][i], samples[ch][i]);
  }
  vu->OnValueChange.Clear();
  peak->OnValueChange.Clear();
}

} // namespace
