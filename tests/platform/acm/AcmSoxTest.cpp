// Our codecs against sox: files that sox encodes decode to exactly the 16-bit
// samples sox decodes them to, and files we encode decode in sox (and
// libsndfile) to exactly what our own decoder makes of them.
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/acm/Acm.h"
#include "platform/acm/AcmCodecs.h"
#include "tests/platform/acm/AcmTestSupport.h"
#include "tests/support/WavOracle.h"

using namespace acmtest;

namespace {

class AcmSox : public ::testing::Test {
protected:
  wavoracle::TTempDir Dir;

  TBytes Sox(const std::string &args, const std::string &out) {
    const wavoracle::TCommand c = wavoracle::Run("sox -R -D " + args);
    EXPECT_EQ(c.Status, 0) << args << "\n" << c.Output;
    return wavoracle::FileBytes(out);
  }

  // sox's own decode of a file to 16-bit little-endian samples.
  std::vector<int16_t> SoxDecode(const std::string &file) {
    const std::string raw = file + ".raw";
    return As16(Sox("'" + file + "' -t raw -e signed-integer -b 16 -L '" + raw + "'", raw));
  }

  void Write(const std::string &file, const TBytes &bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  }
};

// Our decode of a WAV file's data to 16-bit PCM of its channels and rate, in
// chunks that cut blocks apart.
std::vector<int16_t> OurDecode(const TRiff &riff) {
  TBytes fmt = riff.Fmt;
  if (fmt.size() < sizeof(WAVEFORMATEX))
    fmt.resize(sizeof(WAVEFORMATEX));
  const WAVEFORMATEX *w = Wfx(fmt);
  const TConversion c =
      ConvertAll(fmt, Pcm(w->nChannels, w->nSamplesPerSec, 16), riff.Data, 3 * w->nBlockAlign + 5);
  EXPECT_EQ(c.Result, MMSYSERR_NOERROR);
  return As16(c.Out);
}

struct TSoxFile {
  const char *Name;
  const char *Encoding;
  int Channels;
  int Rate;
};

class AcmSoxDecode : public AcmSox, public ::testing::WithParamInterface<TSoxFile> {};

// Exact for every codec: the laws and float are fixed mappings (float rounds
// half away from zero to sox's 32-bit value, then half up to 16 bits, as sox
// does), and both ADPCMs are integer recurrences fully fixed by their block
// headers, which sox and we compute alike.
TEST_P(AcmSoxDecode, DecodesAsSoxDoes) {
  const TSoxFile &p = GetParam();
  const std::string file = Dir.File("in.wav");
  Sox("-n -r " + std::to_string(p.Rate) + " -c " + std::to_string(p.Channels) + " " + p.Encoding +
          " '" + file + "' synth 0.7 sine 300-5000 whitenoise vol 0.9",
      file);
  const TRiff riff = ParseRiff(wavoracle::FileBytes(file));
  ASSERT_TRUE(riff.Ok);
  const std::vector<int16_t> ref = SoxDecode(file);
  const std::vector<int16_t> ours = OurDecode(riff);
  ASSERT_GT(ref.size(), 1000u);
  ASSERT_EQ(ours.size(), ref.size());
  size_t differ = 0;
  for (size_t i = 0; i < ref.size(); ++i)
    differ += ours[i] != ref[i];
  EXPECT_EQ(differ, 0u);
}

INSTANTIATE_TEST_SUITE_P(Codecs, AcmSoxDecode,
                         ::testing::Values(TSoxFile{"MuLaw", "-e u-law", 1, 8000},
                                           TSoxFile{"ALawStereo", "-e a-law", 2, 8000},
                                           TSoxFile{"ImaMono", "-e ima-adpcm", 1, 8000},
                                           TSoxFile{"ImaStereo", "-e ima-adpcm", 2, 44100},
                                           TSoxFile{"MsAdpcmMono", "-e ms-adpcm", 1, 22050},
                                           TSoxFile{"MsAdpcmStereo", "-e ms-adpcm", 2, 44100},
                                           TSoxFile{"Float", "-e floating-point -b 32", 2, 48000},
                                           TSoxFile{"Double", "-e floating-point -b 64", 1, 44100}),
                         [](const auto &info) { return std::string(info.param.Name); });

struct TEncodeCase {
  const char *Name;
  uint16_t Tag;
  uint16_t Channels;
  uint32_t Rate;
};

class AcmSoxEncode : public AcmSox, public ::testing::WithParamInterface<TEncodeCase> {};

TEST_P(AcmSoxEncode, SoxAndLibsndfileDecodeOurFileAsWeDo) {
  const TEncodeCase &p = GetParam();
  const std::string source = Dir.File("source.wav");
  Sox("-n -r " + std::to_string(p.Rate) + " -c " + std::to_string(p.Channels) +
          " -e signed-integer -b 16 '" + source + "' synth 0.6 sine 200-4000 whitenoise vol 0.8",
      source);
  const TRiff pcm = ParseRiff(wavoracle::FileBytes(source));
  ASSERT_TRUE(pcm.Ok);
  const uint32_t frames = uint32_t(pcm.Data.size() / (2 * p.Channels));

  const TBytes codec = p.Tag == WAVE_FORMAT_IMA_ADPCM
                           ? Record(acm::MakeImaAdpcmFormat(p.Rate, p.Channels))
                           : Record(acm::MakeMsAdpcmFormat(p.Rate, p.Channels));
  const TConversion enc = ConvertAll(Pcm(p.Channels, p.Rate, 16), codec, pcm.Data, 4096);
  ASSERT_EQ(enc.Result, MMSYSERR_NOERROR);
  const std::string file = Dir.File("ours.wav");
  Write(file, MakeRiff(codec, frames, enc.Out));

  TRiff ours;
  ours.Fmt = codec;
  ours.Data = enc.Out;
  const std::vector<int16_t> mine = OurDecode(ours);
  const std::vector<int16_t> ref = SoxDecode(file);
  ASSERT_GE(ref.size(), size_t(frames) * p.Channels) << "sox sees every frame we encoded";
  ASSERT_GE(mine.size(), ref.size());
  EXPECT_TRUE(std::equal(ref.begin(), ref.end(), mine.begin()));

  const wavoracle::TSndFile snd = wavoracle::ReadWithSndfile(file);
  ASSERT_TRUE(snd.Opened) << snd.Error;
  EXPECT_EQ(snd.Channels, p.Channels);
  ASSERT_LE(snd.Samples.size(), mine.size());
  EXPECT_GE(snd.Samples.size(), size_t(frames) * p.Channels);
  EXPECT_TRUE(std::equal(snd.Samples.begin(), snd.Samples.end(), mine.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, AcmSoxEncode,
    ::testing::Values(TEncodeCase{"ImaMono", WAVE_FORMAT_IMA_ADPCM, 1, 8000},
                      TEncodeCase{"ImaStereo", WAVE_FORMAT_IMA_ADPCM, 2, 44100},
                      TEncodeCase{"MsAdpcmMono", WAVE_FORMAT_ADPCM, 1, 11025},
                      TEncodeCase{"MsAdpcmStereo", WAVE_FORMAT_ADPCM, 2, 48000}),
    [](const auto &info) { return std::string(info.param.Name); });

} // namespace
