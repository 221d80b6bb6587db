// The VU and peak meters behind the capture component on a hand-paced virtual
// microphone: the values the meters compute on the capture thread reach the
// main thread and equal a computation of our own over the same samples.
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALDSAudioIn.h"
#include "audio/ALPPMMeter.h"
#include "audio/ALVUMeter.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/audio/AudioChainSupport.h"
#include "tests/support/Wait.h"

namespace {

using mainloop::TMainLoop;
using namespace media;

TEST(MeterCapture, ValuesFromTheMicrophoneReachTheMainThreadAsComputedIndependently) {
  ALTestFrameworkUp();
  TMainLoop::Main().BindMainThread();
  TMainLoop::Main().RunPending();
  SetAlsaEnabled(false);
  TVirtualAudio::Clear();

  // Half a second of two different signals, 16-bit stereo little-endian.
  const uint32_t fs = 44100;
  const uint32_t frames = 44 * 512;
  std::mt19937 rng(11);
  std::normal_distribution<double> noise(0, 3000);
  std::vector<int32_t> samples[2];
  std::vector<uint8_t> bytes;
  for (uint32_t f = 0; f < frames; ++f) {
    const double t = f / static_cast<double>(fs);
    const int32_t left = static_cast<int32_t>(8000 * std::sin(2 * M_PI * 437 * t) + 500);
    const int32_t right = static_cast<int32_t>(std::clamp(noise(rng), -32768.0, 32767.0));
    for (int32_t v : {left, right}) {
      bytes.push_back(static_cast<uint8_t>(v & 0xFF));
      bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
    samples[0].push_back(left);
    samples[1].push_back(right);
  }
  TVirtualCaptureSpec spec;
  spec.FriendlyName = "Test Microphone";
  spec.Id = "testmic";
  spec.Source = TVirtualSource::Bytes;
  spec.Bytes = bytes;
  spec.Loop = false;
  spec.Pacing = TVirtualPacing::Manual;
  auto mic = TVirtualAudio::AddCapture(spec);

  const std::thread::id mainThread = std::this_thread::get_id();
  std::vector<double> vuSeen[2], peakSeen[2];
  bool offMain = false;
  {
    TOwnedPtr<TALDSAudioIn> in(CreateObject<TALDSAudioIn>(nullptr));
    in->GetAudioCaptureDevice()->SetName("Test Microphone");
    in->GetAudioFormat()->SetChannels(2);
    in->GetAudioFormat()->SetChannelMask(TALSpeakers(ALDefaultChannelMask(2)));
    in->GetAudioFormat()->SetSampleRate(fs);
    TOwnedPtr<TALVUMeter> vu(CreateObject<TALVUMeter>(nullptr));
    TOwnedPtr<TALPPMMeter> peak(CreateObject<TALPPMMeter>(nullptr));
    ASSERT_TRUE(vu->GetInputPin()->Connect(in->GetOutputPin()));
    ASSERT_TRUE(peak->GetInputPin()->Connect(in->GetOutputPin()));
    vu->OnValueChange.Fn = [&](TObject *, int ch, double v, double max) {
      offMain |= std::this_thread::get_id() != mainThread;
      EXPECT_EQ(max, 32767);
      vuSeen[ch].push_back(v);
    };
    peak->OnValueChange.Fn = [&](TObject *, int ch, double v, double) {
      offMain |= std::this_thread::get_id() != mainThread;
      peakSeen[ch].push_back(v);
    };

    const size_t chunk = fs / 10;
    const size_t chunks = (frames - 1) / chunk; // one frame to spare
    in->Start();
    ASSERT_TRUE(in->GetRunning());
    // Released a few blocks at a time, the main loop running in between as
    // the recorder's would.
    for (uint32_t released = 0; released < frames; released += 4 * 1024) {
      mic->ReleaseFrames(std::min<uint32_t>(4 * 1024, frames - released));
      TMainLoop::Main().RunPending();
    }
    const auto deadline = std::chrono::steady_clock::now() + EventuallyDeadline;
    while (std::chrono::steady_clock::now() < deadline &&
           (vuSeen[0].size() < chunks || vuSeen[1].size() < chunks))
      TMainLoop::Main().WaitAndRun(std::chrono::milliseconds(2));
    in->Stop();
    TMainLoop::Main().RunPending();
    vu->OnValueChange.Clear();
    peak->OnValueChange.Clear();

    EXPECT_FALSE(offMain) << "a meter value was delivered off the main thread";
    for (int ch = 0; ch < 2; ++ch) {
      const TReferenceReadings ref = ReferenceReadings(fs, samples[ch], chunk, chunks);
      const std::vector<double> &vuRef = ref.Vu, &peakRef = ref.Peak;
      ASSERT_EQ(vuSeen[ch].size(), vuRef.size()) << "channel " << ch;
      for (size_t c = 0; c < vuRef.size(); ++c)
        EXPECT_NEAR(vuSeen[ch][c], vuRef[c], vuRef[c] * 1e-4) << "channel " << ch << " chunk " << c;
      ASSERT_FALSE(peakSeen[ch].empty()) << "channel " << ch;
      EXPECT_NEAR(peakSeen[ch].back(), peakRef.back(), peakRef.back() * 1e-4) << "channel " << ch;
    }
  }
  TVirtualAudio::Clear();
  SetAlsaEnabled(true);
  TMainLoop::Main().RunPending();
}

} // namespace
