// Streams used on several threads at once (the logger compresses on the
// capture thread while the player decodes on the clock thread): the handle
// registry is shared, each stream's state is its own.
#include <thread>

#include <gtest/gtest.h>

#include "platform/acm/Acm.h"
#include "tests/platform/acm/AcmTestSupport.h"

using namespace acmtest;

TEST(AcmThreads, StreamsOnSeveralThreadsConvertAsOnOne) {
  const TBytes ima = Record(acm::MakeImaAdpcmFormat(22050, 2));
  const TBytes pcm = Pcm(2, 22050, 16);
  std::vector<int16_t> samples(2 * 6000);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t((i * 7919) % 20000 - 10000);
  const TBytes input = Samples16(samples);
  const TBytes encoded = ConvertAll(pcm, ima, input, 4096).Out;
  const TBytes decoded = ConvertAll(ima, pcm, encoded, 3000).Out;
  ASSERT_FALSE(encoded.empty());

  constexpr int threads = 4, rounds = 20;
  std::vector<int> mismatches(threads, 0);
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([&, t] {
      for (int r = 0; r < rounds; ++r) {
        const bool encode = (t + r) % 2 == 0;
        const TConversion c = encode ? ConvertAll(pcm, ima, input, 1000 + 97 * t)
                                     : ConvertAll(ima, pcm, encoded, 700 + 13 * t);
        if (c.Result != MMSYSERR_NOERROR || c.Out != (encode ? encoded : decoded))
          ++mismatches[t];
      }
    });
  for (auto &th : pool)
    th.join();
  EXPECT_EQ(mismatches, std::vector<int>(threads, 0));
}
