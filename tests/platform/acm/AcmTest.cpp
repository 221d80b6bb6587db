#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/acm/Acm.h"
#include "platform/acm/AcmCodecs.h"
#include "tests/platform/acm/AcmTestSupport.h"

using namespace acmtest;

namespace {

std::vector<int16_t> Sweep(size_t frames, uint16_t channels, uint32_t seed = 1) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-600, 600);
  std::vector<int16_t> s(frames * channels);
  for (size_t f = 0; f < frames; ++f)
    for (uint16_t c = 0; c < channels; ++c)
      s[f * channels + c] =
          int16_t(std::lround(12000 * std::sin(0.0007 * double(f) * double(f % 9000) / 30 + c)) +
                  noise(rng));
  return s;
}

TBytes Ima(uint32_t rate, uint16_t channels) {
  return Record(acm::MakeImaAdpcmFormat(rate, channels));
}
TBytes MsAdpcm(uint32_t rate, uint16_t channels) {
  return Record(acm::MakeMsAdpcmFormat(rate, channels));
}

std::string TagName(uint32_t tag, MMRESULT *result = nullptr) {
  ACMFORMATTAGDETAILS d{};
  d.cbStruct = sizeof d;
  d.dwFormatTag = tag;
  const MMRESULT r = acmFormatTagDetails(nullptr, &d, ACM_FORMATTAGDETAILSF_FORMATTAG);
  if (result)
    *result = r;
  return r == MMSYSERR_NOERROR ? d.szFormatTag : "";
}

double RmsError(const std::vector<int16_t> &a, const std::vector<int16_t> &b, size_t n) {
  double sum = 0;
  for (size_t i = 0; i < n; ++i)
    sum += double(a[i] - b[i]) * double(a[i] - b[i]);
  return std::sqrt(sum / double(n));
}

} // namespace

// ---- Registry: names, details, metrics, the dialog --------------------------

TEST(AcmRegistry, KnownTagsHaveNamesAndUnknownTagsAreNotPossible) {
  struct {
    uint32_t Tag;
    const char *Name;
  } const rows[] = {{WAVE_FORMAT_PCM, "PCM"},
                    {WAVE_FORMAT_ADPCM, "MS ADPCM"},
                    {WAVE_FORMAT_IEEE_FLOAT, "IEEE Float"},
                    {WAVE_FORMAT_ALAW, "A-Law"},
                    {WAVE_FORMAT_MULAW, "u-Law"},
                    {WAVE_FORMAT_IMA_ADPCM, "IMA ADPCM"}};
  for (const auto &row : rows)
    EXPECT_EQ(TagName(row.Tag), row.Name) << row.Tag;
  for (uint32_t unknown : {0x0055u, 0x0031u, 0xFFFEu, 0u, 0x12345u}) {
    MMRESULT r;
    TagName(unknown, &r);
    EXPECT_EQ(r, ACMERR_NOTPOSSIBLE) << unknown;
  }
}

TEST(AcmRegistry, TagsEnumerateByIndexAndTheLargestRecordIsFiftyBytes) {
  std::vector<uint32_t> tags;
  for (uint32_t i = 0;; ++i) {
    ACMFORMATTAGDETAILS d{};
    d.cbStruct = sizeof d;
    d.dwFormatTagIndex = i;
    if (acmFormatTagDetails(nullptr, &d, ACM_FORMATTAGDETAILSF_INDEX) != MMSYSERR_NOERROR)
      break;
    EXPECT_EQ(d.dwFormatTagIndex, i);
    tags.push_back(d.dwFormatTag);
  }
  EXPECT_EQ(tags, (std::vector<uint32_t>{1, 2, 3, 6, 7, 0x11}));

  ACMFORMATTAGDETAILS d{};
  d.cbStruct = sizeof d;
  ASSERT_EQ(acmFormatTagDetails(nullptr, &d, ACM_FORMATTAGDETAILSF_LARGESTSIZE), MMSYSERR_NOERROR);
  EXPECT_EQ(d.cbFormatSize, 50u);
  uint32_t largest = 0;
  ASSERT_EQ(acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &largest), MMSYSERR_NOERROR);
  EXPECT_EQ(largest, 50u);
  EXPECT_EQ(acmMetrics(nullptr, 9999, &largest), MMSYSERR_NOTSUPPORTED);
  d.cbStruct = 10;
  EXPECT_EQ(acmFormatTagDetails(nullptr, &d, ACM_FORMATTAGDETAILSF_FORMATTAG), MMSYSERR_INVALPARAM);
}

TEST(AcmRegistry, FormatDetailsDescribeRateBitsAndChannels) {
  struct {
    TBytes Format;
    const char *Text;
  } const rows[] = {{Pcm(2, 44100, 16), "44.100 kHz, 16 Bit, Stereo"},
                    {Pcm(6, 22050, 16), "22.050 kHz, 16 Bit, 6 Channels"},
                    {Law(WAVE_FORMAT_MULAW, 1, 8000), "8.000 kHz, 8 Bit, Mono"},
                    {Ima(11025, 1), "11.025 kHz, 4 Bit, Mono"}};
  for (const auto &row : rows) {
    ACMFORMATDETAILS d{};
    d.cbStruct = sizeof d;
    TBytes copy = row.Format;
    d.pwfx = reinterpret_cast<WAVEFORMATEX *>(copy.data());
    d.cbwfx = uint32_t(copy.size());
    d.dwFormatTag = d.pwfx->wFormatTag;
    ASSERT_EQ(acmFormatDetails(nullptr, &d, ACM_FORMATDETAILSF_FORMAT), MMSYSERR_NOERROR);
    EXPECT_STREQ(d.szFormat, row.Text);
  }
}

TEST(AcmRegistry, TheFormatChoiceIsCancelledAndLeavesTheRecordAlone) {
  TBytes block = Law(WAVE_FORMAT_ALAW, 1, 8000);
  block.resize(50);
  const TBytes before = block;
  ACMFORMATCHOOSE c{};
  c.cbStruct = sizeof c;
  c.fdwStyle = ACMFORMATCHOOSE_STYLEF_INITTOWFXSTRUCT;
  c.pwfx = reinterpret_cast<WAVEFORMATEX *>(block.data());
  c.cbwfx = uint32_t(block.size());
  EXPECT_EQ(acmFormatChoose(&c), ACMERR_CANCELED);
  EXPECT_EQ(block, before);
  EXPECT_EQ(acmFormatChoose(nullptr), MMSYSERR_INVALPARAM);
}

// ---- Suggestions ---------------------------------------------------------------

TEST(AcmSuggest, CodecsSuggestSixteenBitPcmAndPcmKeepsItsOwnFormat) {
  struct {
    TBytes Source;
    uint16_t Bits;
  } const rows[] = {{Ima(22050, 2), 16},
                    {MsAdpcm(8000, 1), 16},
                    {Law(WAVE_FORMAT_ALAW, 2, 8000), 16},
                    {Pcm(1, 48000, 32, WAVE_FORMAT_IEEE_FLOAT), 16},
                    {Pcm(2, 44100, 24), 24}};
  for (const auto &row : rows) {
    WAVEFORMATEX out{};
    out.wFormatTag = WAVE_FORMAT_PCM;
    ASSERT_EQ(acmFormatSuggest(nullptr, Wfx(row.Source), &out, 18, ACM_FORMATSUGGESTF_WFORMATTAG),
              MMSYSERR_NOERROR);
    EXPECT_EQ(out.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(out.nChannels, Wfx(row.Source)->nChannels);
    EXPECT_EQ(out.nSamplesPerSec, Wfx(row.Source)->nSamplesPerSec);
    EXPECT_EQ(out.wBitsPerSample, row.Bits);
    EXPECT_EQ(out.nBlockAlign, out.nChannels * row.Bits / 8);
    EXPECT_EQ(out.cbSize, 0);
  }
}

TEST(AcmSuggest, AnImaTargetGetsItsStandardBlockAndTooSmallARecordIsRefused) {
  const TBytes src = Pcm(2, 44100, 16);
  IMAADPCMWAVEFORMAT ima{};
  ima.wfx.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
  ASSERT_EQ(
      acmFormatSuggest(nullptr, Wfx(src), &ima.wfx, sizeof ima, ACM_FORMATSUGGESTF_WFORMATTAG),
      MMSYSERR_NOERROR);
  EXPECT_EQ(ima.wfx.nBlockAlign, 2048);
  EXPECT_EQ(ima.wSamplesPerBlock, 2041);
  EXPECT_EQ(ima.wfx.cbSize, 2);
  EXPECT_EQ(ima.wfx.wBitsPerSample, 4);
  WAVEFORMATEX small{};
  small.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
  EXPECT_EQ(acmFormatSuggest(nullptr, Wfx(src), &small, 18, ACM_FORMATSUGGESTF_WFORMATTAG),
            MMSYSERR_INVALPARAM);
  small.wFormatTag = 0x0055;
  EXPECT_EQ(acmFormatSuggest(nullptr, Wfx(src), &small, 18, ACM_FORMATSUGGESTF_WFORMATTAG),
            ACMERR_NOTPOSSIBLE);
}

// ---- Refusals ------------------------------------------------------------------

TEST(AcmOpen, UndecodableAndInconsistentFormatsAreRefused) {
  auto with = [](TBytes b, auto edit) {
    WAVEFORMATEX w;
    std::memcpy(&w, b.data(), sizeof w);
    edit(w, b);
    std::memcpy(b.data(), &w, sizeof w);
    return b;
  };
  WAVEFORMATEXTENSIBLE ext{};
  ext.Format = *Wfx(Pcm(2, 48000, 24));
  ext.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  ext.Format.cbSize = 22;
  ext.Samples.wValidBitsPerSample = 20;
  ext.dwChannelMask = 3;
  ext.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  WAVEFORMATEXTENSIBLE extOther = ext;
  extOther.SubFormat.Data1 = 0x55;
  struct {
    const char *What;
    TBytes Format;
  } const bad[] = {
      {"unknown tag",
       with(Pcm(1, 8000, 16), [](WAVEFORMATEX &w, TBytes &) { w.wFormatTag = 0x55; })},
      {"no channels", with(Pcm(1, 8000, 16), [](WAVEFORMATEX &w, TBytes &) { w.nChannels = 0; })},
      {"no rate", with(Pcm(1, 8000, 16), [](WAVEFORMATEX &w, TBytes &) { w.nSamplesPerSec = 0; })},
      {"no block align",
       with(Pcm(1, 8000, 16), [](WAVEFORMATEX &w, TBytes &) { w.nBlockAlign = 0; })},
      {"block align off",
       with(Pcm(2, 8000, 16), [](WAVEFORMATEX &w, TBytes &) { w.nBlockAlign = 2; })},
      {"12-bit container", Pcm(1, 8000, 12)},
      {"16-bit float", Pcm(1, 8000, 16, WAVE_FORMAT_IEEE_FLOAT)},
      {"law of 16 bits", with(Law(WAVE_FORMAT_ALAW, 1, 8000),
                              [](WAVEFORMATEX &w, TBytes &) { w.wBitsPerSample = 16; })},
      {"IMA without its bytes",
       with(Ima(8000, 1), [](WAVEFORMATEX &w, TBytes &) { w.cbSize = 0; })},
      {"IMA block off", with(Ima(8000, 2), [](WAVEFORMATEX &w, TBytes &) { w.nBlockAlign = 258; })},
      {"IMA too many frames", with(Ima(8000, 1),
                                   [](WAVEFORMATEX &, TBytes &b) {
                                     b[18] = 0xFA;
                                     b[19] = 0x01;
                                   })},
      {"IMA of 3 bits",
       with(Ima(8000, 1), [](WAVEFORMATEX &w, TBytes &) { w.wBitsPerSample = 3; })},
      {"MS ADPCM without coefficients",
       with(MsAdpcm(8000, 1), [](WAVEFORMATEX &, TBytes &b) { b[20] = 0; })},
      {"MS ADPCM short record",
       with(MsAdpcm(8000, 1), [](WAVEFORMATEX &w, TBytes &) { w.cbSize = 8; })},
      {"extensible of another kind", Record(extOther)},
      {"extensible cut short", with(Record(ext), [](WAVEFORMATEX &w, TBytes &) { w.cbSize = 10; })},
  };
  const TBytes pcm = Pcm(1, 8000, 16);
  for (const auto &row : bad) {
    HACMSTREAM s = reinterpret_cast<HACMSTREAM>(1);
    EXPECT_EQ(acmStreamOpen(&s, nullptr, Wfx(row.Format), Wfx(pcm), nullptr, 0, 0, 0),
              ACMERR_NOTPOSSIBLE)
        << row.What;
    EXPECT_EQ(s, nullptr) << row.What;
    EXPECT_EQ(acmStreamOpen(&s, nullptr, Wfx(pcm), Wfx(row.Format), nullptr, 0, 0, 0),
              ACMERR_NOTPOSSIBLE)
        << row.What;
  }
  // The good extensible record opens.
  HACMSTREAM s = nullptr;
  ASSERT_EQ(acmStreamOpen(&s, nullptr, reinterpret_cast<WAVEFORMATEX *>(&ext),
                          Wfx(Pcm(2, 48000, 16)), nullptr, 0, 0, 0),
            MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_NOERROR);
}

TEST(AcmOpen, MisuseOfHandlesFlagsAndHeadersIsReported) {
  const TBytes pcm = Pcm(1, 8000, 16);
  const TBytes law = Law(WAVE_FORMAT_MULAW, 1, 8000);
  HACMSTREAM s = nullptr;
  EXPECT_EQ(
      acmStreamOpen(&s, nullptr, Wfx(Pcm(2, 8000, 16)), Wfx(Pcm(3, 8000, 16)), nullptr, 0, 0, 0),
      ACMERR_NOTPOSSIBLE)
      << "mono maps to any count and any count to mono, 2 to 3 has no map";
  EXPECT_EQ(acmStreamOpen(&s, nullptr, Wfx(pcm), Wfx(law), nullptr, 0, 0, ACM_STREAMOPENF_ASYNC),
            MMSYSERR_NOTSUPPORTED);
  EXPECT_EQ(
      acmStreamOpen(&s, reinterpret_cast<HACMDRIVER>(8), Wfx(pcm), Wfx(law), nullptr, 0, 0, 0),
      MMSYSERR_INVALHANDLE);
  EXPECT_EQ(
      acmStreamOpen(nullptr, nullptr, Wfx(pcm), Wfx(law), nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
      MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamOpen(nullptr, nullptr, Wfx(pcm), Wfx(law), nullptr, 0, 0, 0),
            MMSYSERR_INVALPARAM);

  ASSERT_EQ(acmStreamOpen(&s, nullptr, Wfx(pcm), Wfx(law), nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  TBytes src(64), dst(64);
  ACMSTREAMHEADER h{};
  h.cbStruct = sizeof h;
  h.pbSrc = src.data();
  h.cbSrcLength = 64;
  h.pbDst = dst.data();
  h.cbDstLength = 32;
  EXPECT_EQ(acmStreamConvert(s, &h, 0), ACMERR_UNPREPARED);
  EXPECT_EQ(acmStreamUnprepareHeader(s, &h, 0), ACMERR_UNPREPARED);
  ASSERT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamConvert(s, &h, 0x1000), MMSYSERR_INVALFLAG);
  h.cbDstLength = 64; // longer than prepared
  EXPECT_EQ(acmStreamConvert(s, &h, 0), MMSYSERR_INVALPARAM);
  h.cbDstLength = 32;
  ASSERT_EQ(acmStreamConvert(s, &h, ACM_STREAMCONVERTF_START), MMSYSERR_NOERROR);
  EXPECT_EQ(h.cbSrcLengthUsed, 64u);
  EXPECT_EQ(h.cbDstLengthUsed, 32u);
  EXPECT_TRUE(h.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE);
  ASSERT_EQ(acmStreamUnprepareHeader(s, &h, 0), MMSYSERR_NOERROR);
  EXPECT_FALSE(h.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED);
  h.cbStruct = 84;
  EXPECT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamClose(s, 0), MMSYSERR_INVALHANDLE);
  uint32_t size;
  EXPECT_EQ(acmStreamSize(s, 10, &size, ACM_STREAMSIZEF_SOURCE), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(acmStreamClose(nullptr, 0), MMSYSERR_INVALHANDLE);
}

// ---- Sizes ---------------------------------------------------------------------

TEST(AcmSize, SizesInBothDirectionsCountWholeBlocks) {
  struct {
    const char *What;
    TBytes From, To;
    uint32_t Input, Flag, Output;
  } const rows[] = {
      {"IMA block decodes", Ima(8000, 1), Pcm(1, 8000, 16), 256, ACM_STREAMSIZEF_SOURCE, 505 * 2},
      {"a partial IMA block counts whole", Ima(8000, 1), Pcm(1, 8000, 16), 300,
       ACM_STREAMSIZEF_SOURCE, 2 * 505 * 2},
      {"PCM for one IMA block", Ima(8000, 1), Pcm(1, 8000, 16), 1010, ACM_STREAMSIZEF_DESTINATION,
       256},
      {"less than one block's PCM", Ima(8000, 1), Pcm(1, 8000, 16), 1009,
       ACM_STREAMSIZEF_DESTINATION, 0},
      {"PCM into IMA", Pcm(1, 8000, 16), Ima(8000, 1), 1010, ACM_STREAMSIZEF_SOURCE, 256},
      {"one frame more needs a block more", Pcm(1, 8000, 16), Ima(8000, 1), 1012,
       ACM_STREAMSIZEF_SOURCE, 512},
      {"IMA room takes its frames", Pcm(1, 8000, 16), Ima(8000, 1), 600,
       ACM_STREAMSIZEF_DESTINATION, 2020},
      {"stereo MS ADPCM", MsAdpcm(44100, 2), Pcm(2, 44100, 16), 2048, ACM_STREAMSIZEF_SOURCE,
       2036 * 4},
      {"law halves", Pcm(2, 8000, 16), Law(WAVE_FORMAT_ALAW, 2, 8000), 400, ACM_STREAMSIZEF_SOURCE,
       200},
      {"law doubles", Law(WAVE_FORMAT_ALAW, 2, 8000), Pcm(2, 8000, 16), 400,
       ACM_STREAMSIZEF_DESTINATION, 200},
      {"half the rate", Pcm(2, 44100, 16), Pcm(2, 22050, 16), 400, ACM_STREAMSIZEF_SOURCE, 200},
      {"double the rate", Pcm(1, 8000, 16), Pcm(1, 16000, 16), 6, ACM_STREAMSIZEF_SOURCE, 12},
  };
  for (const auto &row : rows) {
    HACMSTREAM s = nullptr;
    ASSERT_EQ(acmStreamOpen(&s, nullptr, Wfx(row.From), Wfx(row.To), nullptr, 0, 0, 0),
              MMSYSERR_NOERROR)
        << row.What;
    uint32_t out = 12345;
    EXPECT_EQ(acmStreamSize(s, row.Input, &out, row.Flag), MMSYSERR_NOERROR) << row.What;
    EXPECT_EQ(out, row.Output) << row.What;
    acmStreamClose(s, 0);
  }
}

TEST(AcmSize, HugeSizesAreRefusedNotWrapped) {
  HACMSTREAM s = nullptr;
  ASSERT_EQ(acmStreamOpen(&s, nullptr, Wfx(Law(WAVE_FORMAT_MULAW, 2, 8000)), Wfx(Pcm(2, 48000, 32)),
                          nullptr, 0, 0, 0),
            MMSYSERR_NOERROR);
  uint32_t out = 0;
  EXPECT_EQ(acmStreamSize(s, 0xF0000000u, &out, ACM_STREAMSIZEF_SOURCE), MMSYSERR_INVALPARAM);
  acmStreamClose(s, 0);
}

// ---- PCM conversions -----------------------------------------------------------

TEST(AcmPcm, WidthsRoundHalfUpAndSaturate) {
  struct {
    const char *What;
    TBytes From, To, In, Out;
  } const rows[] = {
      {"8 to 16", Pcm(1, 8000, 8), Pcm(1, 8000, 16), {0, 128, 255}, Samples16({-32768, 0, 32512})},
      {"16 to 8 rounds",
       Pcm(1, 8000, 16),
       Pcm(1, 8000, 8),
       Samples16({-32768, 127, 128, 32767, -129}),
       {0, 128, 129, 255, 127}},
      {"24 to 16 rounds and saturates",
       Pcm(1, 8000, 24),
       Pcm(1, 8000, 16),
       {0x80, 0x00, 0x00, 0x7F, 0x00, 0x00, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80},
       Samples16({1, 0, 32767, -32768})},
      {"16 to 24",
       Pcm(1, 8000, 16),
       Pcm(1, 8000, 24),
       Samples16({-2, 300}),
       {0, 0xFE, 0xFF, 0, 0x2C, 0x01}},
      {"16 to 32", Pcm(1, 8000, 16), Pcm(1, 8000, 32), Samples16({-1}), {0, 0, 0xFF, 0xFF}},
      {"mono to stereo", Pcm(1, 8000, 16), Pcm(2, 8000, 16), Samples16({5, -7}),
       Samples16({5, 5, -7, -7})},
      {"stereo to mono averages", Pcm(2, 8000, 16), Pcm(1, 8000, 16), Samples16({100, 300, -5, -6}),
       Samples16({200, -5})},
      {"double rate interpolates and holds the end", Pcm(1, 8000, 16), Pcm(1, 16000, 16),
       Samples16({0, 100, 200}), Samples16({0, 50, 100, 150, 200, 200})},
      {"half rate picks every other", Pcm(1, 16000, 16), Pcm(1, 8000, 16),
       Samples16({0, 1, 2, 3, 4, 5}), Samples16({0, 2, 4})},
  };
  for (const auto &row : rows) {
    const TConversion c = ConvertAll(row.From, row.To, row.In, 1000);
    ASSERT_EQ(c.Result, MMSYSERR_NOERROR) << row.What;
    EXPECT_EQ(c.Out, row.Out) << row.What;
  }
}

TEST(AcmPcm, FloatRoundsHalfAwayFromZeroAndClips) {
  const std::vector<float> in = {0.5f,          -1.0f,         1.5f, 1.0f / 65536,
                                 -1.0f / 65536, -3.0f / 65536, NAN};
  TBytes b(in.size() * 4);
  std::memcpy(b.data(), in.data(), b.size());
  const TConversion c =
      ConvertAll(Pcm(1, 8000, 32, WAVE_FORMAT_IEEE_FLOAT), Pcm(1, 8000, 16), b, 8);
  ASSERT_EQ(c.Result, MMSYSERR_NOERROR);
  EXPECT_EQ(As16(c.Out), (std::vector<int16_t>{16384, -32768, 32767, 1, 0, -1, 0}));
  const TConversion back = ConvertAll(Pcm(1, 8000, 16), Pcm(1, 8000, 32, WAVE_FORMAT_IEEE_FLOAT),
                                      Samples16({16384, -32768}), 8);
  std::vector<float> f(2);
  ASSERT_EQ(back.Out.size(), 8u);
  std::memcpy(f.data(), back.Out.data(), 8);
  EXPECT_EQ(f, (std::vector<float>{0.5f, -1.0f}));
}

// Resampling and encoding keep their state across calls: any split of the
// input gives the bytes of one call.
TEST(AcmStream, ChunkingDoesNotChangeTheOutput) {
  struct {
    const char *What;
    TBytes From, To;
  } const rows[] = {{"44.1k to 48k stereo", Pcm(2, 44100, 16), Pcm(2, 48000, 16)},
                    {"48k to 22.05k into mono", Pcm(2, 48000, 16), Pcm(1, 22050, 16)},
                    {"IMA encode", Pcm(2, 22050, 16), Ima(22050, 2)},
                    {"MS ADPCM encode", Pcm(1, 8000, 16), MsAdpcm(8000, 1)},
                    {"resample into IMA", Pcm(1, 44100, 16), Ima(8000, 1)}};
  for (const auto &row : rows) {
    const uint16_t ch = Wfx(row.From)->nChannels;
    const TBytes in = Samples16(Sweep(7001, ch));
    const TConversion whole = ConvertAll(row.From, row.To, in, in.size());
    ASSERT_EQ(whole.Result, MMSYSERR_NOERROR) << row.What;
    HACMSTREAM s = nullptr;
    ASSERT_EQ(acmStreamOpen(&s, nullptr, Wfx(row.From), Wfx(row.To), nullptr, 0, 0, 0),
              MMSYSERR_NOERROR);
    const TConversion parts = ConvertChunks(s, in, {1, 333, 4096, 7, 2048 + 3}, true);
    acmStreamClose(s, 0);
    ASSERT_EQ(parts.Result, MMSYSERR_NOERROR) << row.What;
    EXPECT_EQ(parts.Out, whole.Out) << row.What;
  }
}

TEST(AcmStream, StartResetsTheStreamsState) {
  struct {
    const char *What;
    TBytes From, To;
  } const rows[] = {{"resampler", Pcm(1, 44100, 16), Pcm(1, 48000, 16)},
                    {"IMA encoder and its held frames", Pcm(1, 8000, 16), Ima(8000, 1)},
                    {"held partial IMA block", Ima(8000, 1), Pcm(1, 8000, 16)}};
  for (const auto &row : rows) {
    const TBytes first = Samples16(Sweep(3001, 1, 7));
    const TBytes second = Samples16(Sweep(2000, 1, 8));
    const TConversion fresh = ConvertAll(row.From, row.To, second, 999, false);
    HACMSTREAM s = nullptr;
    ASSERT_EQ(acmStreamOpen(&s, nullptr, Wfx(row.From), Wfx(row.To), nullptr, 0, 0, 0),
              MMSYSERR_NOERROR);
    ASSERT_EQ(ConvertChunks(s, first, {999}, false).Result, MMSYSERR_NOERROR);
    const TConversion restarted = ConvertChunks(s, second, {999}, false, true);
    acmStreamClose(s, 0);
    EXPECT_EQ(restarted.Out, fresh.Out) << row.What;
  }
}

// A buffer that ends inside a block is not lost: the stream holds it back, and
// END flushes the last partial block, padded with silence.
TEST(AcmStream, TailsAreHeldBackAndFlushedAtTheEnd) {
  const std::vector<int16_t> pcm = Sweep(1000, 1);
  const TBytes ima = Ima(8000, 1);
  HACMSTREAM s = nullptr;
  ASSERT_EQ(acmStreamOpen(&s, nullptr, Wfx(Pcm(1, 8000, 16)), Wfx(ima), nullptr, 0, 0, 0),
            MMSYSERR_NOERROR);
  const TConversion open = ConvertChunks(s, Samples16(pcm), {666}, false);
  EXPECT_EQ(open.Out.size(), 256u) << "one whole block of 505 frames so far";
  TConversion flushed = ConvertChunks(s, {}, {0}, true, false);
  EXPECT_EQ(flushed.Out.size(), 256u) << "the last 495 frames in a padded block";
  acmStreamClose(s, 0);

  TBytes all = open.Out;
  all.insert(all.end(), flushed.Out.begin(), flushed.Out.end());
  const TConversion decoded = ConvertAll(ima, Pcm(1, 8000, 16), all, 100);
  const std::vector<int16_t> back = As16(decoded.Out);
  ASSERT_EQ(back.size(), 1010u);
  EXPECT_LT(RmsError(back, pcm, 1000), 1200.0);
}

TEST(AcmStream, AShortDestinationTakesWholeBlocksAndLeavesTheRestToTheCaller) {
  const TBytes ima = Ima(8000, 1);
  const TBytes data = ConvertAll(Pcm(1, 8000, 16), ima, Samples16(Sweep(505 * 3, 1)), 100000).Out;
  ASSERT_EQ(data.size(), 3 * 256u);
  HACMSTREAM s = nullptr;
  ASSERT_EQ(acmStreamOpen(&s, nullptr, Wfx(ima), Wfx(Pcm(1, 8000, 16)), nullptr, 0, 0, 0),
            MMSYSERR_NOERROR);
  TBytes src = data, dst(1500);
  ACMSTREAMHEADER h{};
  h.cbStruct = sizeof h;
  h.pbSrc = src.data();
  h.cbSrcLength = uint32_t(src.size());
  h.pbDst = dst.data();
  h.cbDstLength = uint32_t(dst.size());
  ASSERT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(acmStreamConvert(s, &h, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN),
            MMSYSERR_NOERROR);
  EXPECT_EQ(h.cbSrcLengthUsed, 256u);
  EXPECT_EQ(h.cbDstLengthUsed, 1010u);
  acmStreamUnprepareHeader(s, &h, 0);
  acmStreamClose(s, 0);
}

// ---- Codecs ----------------------------------------------------------------------

TEST(AcmCodecs, LawsDecodeToTheirTablesAndReEncodeToThemselves) {
  EXPECT_EQ(acm::MuLawToLinear(0x00), -32124);
  EXPECT_EQ(acm::MuLawToLinear(0x80), 32124);
  EXPECT_EQ(acm::MuLawToLinear(0xFF), 0);
  EXPECT_EQ(acm::ALawToLinear(0xD5), 8);
  EXPECT_EQ(acm::ALawToLinear(0x2A), -32256);
  for (int code = 0; code < 256; ++code) {
    // 0x7F and 0xFF are both zero in mu-law; zero encodes as 0xFF.
    if (code != 0x7F) {
      EXPECT_EQ(acm::LinearToMuLaw(acm::MuLawToLinear(uint8_t(code))), code) << code;
    }
    EXPECT_EQ(acm::LinearToALaw(acm::ALawToLinear(uint8_t(code))), code) << code;
  }
}

TEST(AcmCodecs, AdpcmRoundTripsFollowTheSignal) {
  struct {
    const char *What;
    TBytes Codec;
    double MaxRms;
  } const rows[] = {{"IMA mono", Ima(8000, 1), 1200},
                    {"IMA stereo", Ima(44100, 2), 1200},
                    {"MS ADPCM mono", MsAdpcm(8000, 1), 1200},
                    {"MS ADPCM stereo", MsAdpcm(22050, 2), 1200}};
  for (const auto &row : rows) {
    const uint16_t ch = Wfx(row.Codec)->nChannels;
    const uint32_t rate = Wfx(row.Codec)->nSamplesPerSec;
    const std::vector<int16_t> pcm = Sweep(9000, ch, 3);
    const TConversion enc = ConvertAll(Pcm(ch, rate, 16), row.Codec, Samples16(pcm), 4096);
    ASSERT_EQ(enc.Result, MMSYSERR_NOERROR) << row.What;
    EXPECT_EQ(enc.Out.size() % Wfx(row.Codec)->nBlockAlign, 0u) << row.What;
    const TConversion dec = ConvertAll(row.Codec, Pcm(ch, rate, 16), enc.Out, 1000);
    ASSERT_EQ(dec.Result, MMSYSERR_NOERROR) << row.What;
    const std::vector<int16_t> back = As16(dec.Out);
    ASSERT_GE(back.size(), pcm.size()) << row.What;
    EXPECT_LT(RmsError(back, pcm, pcm.size()), row.MaxRms) << row.What;
  }
}

// Corrupt blocks never read or write out of bounds (the sanitizer build checks)
// and never produce more than the size query allows.
TEST(AcmCodecs, RandomBytesDecodeWithinBounds) {
  std::mt19937 rng(42);
  for (const TBytes &codec : {Ima(8000, 1), Ima(44100, 2), MsAdpcm(8000, 1), MsAdpcm(48000, 2)}) {
    for (int round = 0; round < 20; ++round) {
      TBytes junk(rng() % 5000);
      for (auto &b : junk)
        b = uint8_t(rng());
      const uint16_t ch = Wfx(codec)->nChannels;
      const TConversion c = ConvertAll(codec, Pcm(ch, 8000, 16), junk, 1 + rng() % 3000);
      EXPECT_EQ(c.Result, MMSYSERR_NOERROR);
    }
  }
}

TEST(AcmCodecs, AnMsAdpcmBlockWithAPredictorPastTheTableIsSilence) {
  const TBytes ms = MsAdpcm(8000, 1);
  TBytes block(256, 0x77);
  block[0] = 7; // seven pairs in the table
  const std::vector<int16_t> out = As16(ConvertAll(ms, Pcm(1, 8000, 16), block, 256).Out);
  ASSERT_EQ(out.size(), 500u);
  for (int16_t v : out)
    ASSERT_EQ(v, 0);
}

TEST(AcmSuggest, FlagsFixTheFieldsTheyName) {
  const TBytes src = Pcm(2, 44100, 16);
  IMAADPCMWAVEFORMAT want{};
  want.wfx.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
  want.wfx.nChannels = 1;
  want.wfx.nSamplesPerSec = 8000;
  const uint32_t fixed = ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                         ACM_FORMATSUGGESTF_NSAMPLESPERSEC;
  ASSERT_EQ(acmFormatSuggest(nullptr, Wfx(src), &want.wfx, sizeof want, fixed), MMSYSERR_NOERROR);
  EXPECT_EQ(Record(want), Ima(8000, 1));

  WAVEFORMATEX pcm{};
  pcm.wBitsPerSample = 24;
  ASSERT_EQ(
      acmFormatSuggest(nullptr, Wfx(src), &pcm, sizeof pcm, ACM_FORMATSUGGESTF_WBITSPERSAMPLE),
      MMSYSERR_NOERROR);
  EXPECT_EQ(Record(pcm), Pcm(2, 44100, 24)) << "no tag flag: PCM";

  want.wfx.wBitsPerSample = 8;
  EXPECT_EQ(acmFormatSuggest(nullptr, Wfx(src), &want.wfx, sizeof want,
                             ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_WBITSPERSAMPLE),
            ACMERR_NOTPOSSIBLE)
      << "IMA has 4 bits";
  EXPECT_EQ(acmFormatSuggest(nullptr, Wfx(src), &pcm, sizeof pcm, 0x1), MMSYSERR_INVALFLAG);
}

TEST(AcmRegistry, DetailsOfAnUnknownOrMislabelledRecordAreRefused) {
  TBytes unknown = Pcm(1, 8000, 16);
  unknown[0] = 0x55;
  ACMFORMATDETAILS d{};
  d.cbStruct = sizeof d;
  d.pwfx = reinterpret_cast<WAVEFORMATEX *>(unknown.data());
  d.cbwfx = uint32_t(unknown.size());
  d.dwFormatTag = 0x55;
  EXPECT_EQ(acmFormatDetails(nullptr, &d, ACM_FORMATDETAILSF_FORMAT), ACMERR_NOTPOSSIBLE);
  d.dwFormatTag = WAVE_FORMAT_PCM;
  EXPECT_EQ(acmFormatDetails(nullptr, &d, ACM_FORMATDETAILSF_FORMAT), MMSYSERR_INVALPARAM);
  TBytes ima = Ima(8000, 1);
  d.pwfx = reinterpret_cast<WAVEFORMATEX *>(ima.data());
  d.dwFormatTag = WAVE_FORMAT_IMA_ADPCM;
  d.cbwfx = 18;
  EXPECT_EQ(acmFormatDetails(nullptr, &d, ACM_FORMATDETAILSF_FORMAT), MMSYSERR_INVALPARAM)
      << "the record is longer than the block given";
}
