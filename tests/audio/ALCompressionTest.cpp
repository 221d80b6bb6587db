// Compression settings (their names and form-stream property) and the
// logger's three-stage compressor.
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "audio/ALCompression.h"
#include "audio/Alacmcompressor.h"
#include "platform/acm/Acm.h"
#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormStream.h"

namespace {

// A component that publishes compression settings, as the wave logger does.
class TTestCompressingLogger : public TComponent {
  CLASSLIB_CLASS(TTestCompressingLogger)
public:
  explicit TTestCompressingLogger(TComponent *owner)
      : TComponent(owner), compression_(CreateObject<TALAudioCompression>(this)) {}
  TALAudioCompression *GetCompression() const { return compression_.get(); }
  void SetCompression(TALAudioCompression *v) { compression_->Assign(v); }

private:
  TOwnedPtr<TALAudioCompression> compression_;
};

const TClassInfo &TTestCompressingLogger::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TTestCompressingLogger>(
      "TTestCompressingLogger", &TComponent::StaticClassInfo(),
      [](TClassBuilder<TTestCompressingLogger> &c) {
        c.Object("Compression", &TTestCompressingLogger::GetCompression);
      });
  return info;
}

template <class T> std::vector<uint8_t> Bytes(const T &r) {
  return std::vector<uint8_t>(reinterpret_cast<const uint8_t *>(&r),
                              reinterpret_cast<const uint8_t *>(&r) + sizeof r);
}

WAVEFORMATEX Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t align = uint16_t(channels * bits / 8);
  return WAVEFORMATEX{WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

std::vector<int16_t> Signal(size_t frames, uint16_t channels) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> noise(-300, 300);
  std::vector<int16_t> s(frames * channels);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] =
        int16_t(9000 * std::sin(double(i / channels) * 0.05 + double(i % channels)) + noise(rng));
  return s;
}

// One conversion through a fresh stream, ended, in one call.
std::vector<uint8_t> Direct(const WAVEFORMATEX *from, const WAVEFORMATEX *to,
                            const std::vector<uint8_t> &in) {
  HACMSTREAM s = nullptr;
  EXPECT_EQ(acmStreamOpen(&s, nullptr, from, to, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  uint32_t size = 0;
  EXPECT_EQ(acmStreamSize(s, uint32_t(in.size()), &size, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
  std::vector<uint8_t> src = in, dst(size);
  ACMSTREAMHEADER h{};
  h.cbStruct = sizeof h;
  h.pbSrc = src.data();
  h.cbSrcLength = uint32_t(src.size());
  h.pbDst = dst.data();
  h.cbDstLength = size;
  EXPECT_EQ(acmStreamPrepareHeader(s, &h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamConvert(s, &h, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END),
            MMSYSERR_NOERROR);
  acmStreamUnprepareHeader(s, &h, 0);
  acmStreamClose(s, 0);
  dst.resize(h.cbDstLengthUsed);
  return dst;
}

class ALCompressionTest : public ::testing::Test {
protected:
  void SetUp() override { RegisterClass(TTestCompressingLogger::StaticClassInfo()); }
  TOwnedPtr<TTestCompressingLogger> NewLogger() {
    TOwnedPtr<TTestCompressingLogger> l(CreateObject<TTestCompressingLogger>(nullptr));
    l->SetName("Logger");
    return l;
  }
};

} // namespace

TEST_F(ALCompressionTest, ANewSettingIsOffWithOneEmptyItemThatIsNotStored) {
  auto logger = NewLogger();
  TALAudioCompression *c = logger->GetCompression();
  EXPECT_FALSE(c->GetEnabled());
  EXPECT_EQ(c->GetOwner(), logger.get());
  ASSERT_EQ(c->GetCompressions()->Count(), 1);
  TALAudioCompressionItem *item = c->GetCompressions()->GetItem(0);
  EXPECT_TRUE(item->GetFormat()->GetEmpty());
  EXPECT_EQ(item->GetName(), "[ Empty ]");
  EXPECT_EQ(item->GetDisplayName(), "[ Empty ]");
  EXPECT_EQ(item->GetFormat()->GetSize(), 50) << "the largest record size";
  EXPECT_EQ(WriteFormText(logger.get()).find("FormatData"), std::string::npos);
  EXPECT_FALSE(item->ShowDialog()) << "the format choice is cancelled here";
  EXPECT_TRUE(item->GetFormat()->GetEmpty());
}

TEST_F(ALCompressionTest, NamesGiveTagChannelsAndRate) {
  struct {
    std::vector<uint8_t> Record;
    const char *Name;
  } const rows[] = {
      {Bytes(Pcm(6, 22050, 16)), "PCM [ 6 Channels, 22050 Hz  ] "},
      {Bytes(acm::MakeImaAdpcmFormat(8000, 1)), "IMA ADPCM [ Mono, 8000 Hz  ] "},
      {Bytes(acm::MakeMsAdpcmFormat(44100, 2)), "MS ADPCM [ Stereo, 44100 Hz  ] "},
      {Bytes(WAVEFORMATEX{0x0055, 2, 44100, 16000, 1, 0, 0}), "[ Unknown ]"},
  };
  for (const auto &row : rows) {
    TOwnedPtr<TALCompressionFormat> f(CreateObject<TALCompressionFormat>());
    f->SetFormat(reinterpret_cast<const WAVEFORMATEX *>(row.Record.data()),
                 int32_t(row.Record.size()));
    EXPECT_FALSE(f->GetEmpty());
    EXPECT_EQ(f->GetName(), row.Name);
  }
  // A stored block shorter than a record reads as zeros past its end.
  TOwnedPtr<TALCompressionFormat> shortBlock(CreateObject<TALCompressionFormat>());
  const uint8_t two[2] = {0x11, 0};
  shortBlock->SetCompressionData(two, 2);
  EXPECT_EQ(shortBlock->GetSize(), 2);
  EXPECT_EQ(shortBlock->GetName(), "IMA ADPCM [ 0 Channels, 0 Hz  ] ");
}

TEST_F(ALCompressionTest, FormatsGoThroughTheFormStreamByteForByte) {
  auto logger = NewLogger();
  TALAudioCompression *c = logger->GetCompression();
  c->SetEnabled(true);
  const auto ima = acm::MakeImaAdpcmFormat(22050, 2);
  c->GetCompressions()->GetItem(0)->GetFormat()->SetFormat(&ima.wfx, sizeof ima);
  c->GetCompressions()->Add(); // stays empty
  const auto ms = acm::MakeMsAdpcmFormat(8000, 1);
  c->GetCompressions()->Add()->GetFormat()->SetFormat(&ms.wfx, sizeof ms);
  const std::string text = WriteFormText(logger.get());

  auto again = NewLogger();
  LoadFormText(again.get(), text);
  TALAudioCompression *d = again->GetCompression();
  EXPECT_TRUE(d->GetEnabled());
  ASSERT_EQ(d->GetCompressions()->Count(), 3);
  std::vector<uint8_t> back(sizeof ima);
  TALCompressionFormat *first = d->GetCompressions()->GetItem(0)->GetFormat();
  EXPECT_EQ(first->GetSize(), int32_t(sizeof ima));
  first->GetFromat(back.data(), int32_t(back.size()));
  EXPECT_EQ(back, Bytes(ima));
  EXPECT_TRUE(d->GetCompressions()->GetItem(1)->GetFormat()->GetEmpty());
  back.assign(sizeof ms, 0);
  d->GetCompressions()->GetItem(2)->GetFormat()->GetFromat(back.data(), int32_t(back.size()));
  EXPECT_EQ(back, Bytes(ms));
  EXPECT_EQ(WriteFormText(again.get()), text);
}

TEST_F(ALCompressionTest, FormatDataOfSizeZeroIsEmptyAndAShortOneIsRefused) {
  const std::string head =
      "object Logger: TTestCompressingLogger\n  Compression.Compressions = <\n    item\n"
      "      Format.FormatData = ";
  const std::string tail = "\n    end>\nend\n";
  auto logger = NewLogger();
  LoadFormText(logger.get(), head + "#0#0#0#0" + tail);
  EXPECT_TRUE(logger->GetCompression()->GetCompressions()->GetItem(0)->GetFormat()->GetEmpty());
  auto broken = NewLogger();
  EXPECT_THROW(LoadFormText(broken.get(), head + "#20#0#0#0'abc'" + tail), EReadError);
}

TEST_F(ALCompressionTest, ItemsAssignTheirFormats) {
  auto logger = NewLogger();
  TALAudioCompressionItems *items = logger->GetCompression()->GetCompressions();
  const auto ima = acm::MakeImaAdpcmFormat(8000, 1);
  TALAudioCompressionItem *second = items->Add();
  second->GetFormat()->SetFormat(&ima.wfx, sizeof ima);
  items->SetItem(0, second);
  EXPECT_EQ(items->GetItem(0)->GetName(), "IMA ADPCM [ Mono, 8000 Hz  ] ");
}

TEST(ALStartAudioCompressionOperation, CopiesItsFormatAndData) {
  auto ima = acm::MakeImaAdpcmFormat(8000, 1);
  std::vector<uint8_t> data = {1, 2, 3};
  auto op =
      com::MakeCom<TALStartAudioCompressionOperation>(1024, 8000.0f, &ima.wfx, data.data(), 3);
  ima.wSamplesPerBlock = 1;
  data[0] = 9;
  ASSERT_NE(op->GetFormat(), nullptr);
  EXPECT_EQ(reinterpret_cast<const IMAADPCMWAVEFORMAT *>(op->GetFormat())->wSamplesPerBlock, 505);
  EXPECT_EQ(std::vector<uint8_t>(op->GetData(), op->GetData() + op->GetDataSize()),
            (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(op->BufferSize(), 1024);
  auto none = com::MakeCom<TALStartAudioCompressionOperation>(512, 44100.0f, nullptr, nullptr, 0);
  EXPECT_EQ(none->GetFormat(), nullptr);
  EXPECT_EQ(none->GetDataSize(), 0);
  EXPECT_EQ(ACMDRIVERDETAILS_FCCTYPE_AUDIOCODE, 0x63647561u);
}

// Buffers of 1024 frames do not fill whole blocks: what each leaves over goes
// into the next, and the flush gives the last block, so the compressed take is
// the one-piece conversion of the whole take.
TEST(ALAcmCompressor, BuffersCompressAsOneStreamAndTheTailIsFlushed) {
  struct {
    const char *What;
    WAVEFORMATEX Source;
    std::vector<uint8_t> Target;
  } const rows[] = {
      {"IMA", Pcm(1, 8000, 16), Bytes(acm::MakeImaAdpcmFormat(8000, 1))},
      {"MS ADPCM stereo", Pcm(2, 22050, 16), Bytes(acm::MakeMsAdpcmFormat(22050, 2))},
      {"IMA at half the rate", Pcm(2, 44100, 16), Bytes(acm::MakeImaAdpcmFormat(22050, 2))},
      {"8-bit PCM from 24-bit", Pcm(2, 48000, 24), Bytes(Pcm(2, 48000, 8))}};
  for (const auto &row : rows) {
    const auto *target = reinterpret_cast<const WAVEFORMATEX *>(row.Target.data());
    TOwnedPtr<TALAcmCompressor> compressor(CreateObject<TALAcmCompressor>());
    ASSERT_TRUE(compressor->OpenCompressor(&row.Source, target)) << row.What;
    EXPECT_TRUE(compressor->GetOpened());
    const uint16_t ch = row.Source.nChannels;
    const uint32_t frames = 1024;
    std::vector<uint8_t> all, written;
    for (int b = 0; b < 5; ++b) {
      auto buffer = com::MakeCom<TALAudioBuffer>(
          int(row.Source.nSamplesPerSec), int(row.Source.wBitsPerSample), int(ch), int(frames));
      const std::vector<int16_t> s = Signal(frames, ch);
      uint8_t *w = buffer->Write();
      for (size_t i = 0; i < s.size(); ++i) {
        const int32_t v = int32_t(s[i] + b * 7) * (row.Source.wBitsPerSample == 24 ? 256 : 1);
        std::memcpy(w + i * (row.Source.wBitsPerSample / 8), &v, row.Source.wBitsPerSample / 8);
      }
      all.insert(all.end(), w, w + buffer->GetByteSize());
      IALAudioBufferPtr out;
      uint32_t bytes = 12345;
      compressor->CompressBuffer(buffer.Get(), out, bytes);
      ASSERT_TRUE(out);
      EXPECT_EQ(bytes % target->nBlockAlign, 0u) << row.What;
      written.insert(written.end(), out->Read(), out->Read() + bytes);
    }
    IALAudioBufferPtr out;
    uint32_t bytes = 0;
    compressor->FlushBuffer(out, bytes);
    written.insert(written.end(), out->Read(), out->Read() + bytes);
    compressor->CloseCompressor();
    EXPECT_FALSE(compressor->GetOpened());

    WAVEFORMATEX a{}, b{};
    a.wFormatTag = b.wFormatTag = WAVE_FORMAT_PCM;
    ASSERT_EQ(acmFormatSuggest(nullptr, target, &b, sizeof b, ACM_FORMATSUGGESTF_WFORMATTAG),
              MMSYSERR_NOERROR);
    ASSERT_EQ(acmFormatSuggest(nullptr, &row.Source, &a, sizeof a, ACM_FORMATSUGGESTF_WFORMATTAG),
              MMSYSERR_NOERROR);
    const std::vector<uint8_t> expected =
        Direct(&b, target, Direct(&a, &b, Direct(&row.Source, &a, all)));
    EXPECT_EQ(written, expected) << row.What;
    // Every frame of the take is in whole target blocks.
    const uint64_t targetFrames =
        uint64_t(5) * frames * target->nSamplesPerSec / row.Source.nSamplesPerSec;
    const uint32_t perBlock =
        target->wFormatTag == WAVE_FORMAT_PCM ? 1 : uint32_t(row.Target[18] | row.Target[19] << 8);
    EXPECT_EQ(written.size(), (targetFrames + perBlock - 1) / perBlock * target->nBlockAlign)
        << row.What;
  }
}

TEST(ALAcmCompressor, UnusableTargetsLeaveNoStageOpen) {
  TOwnedPtr<TALAcmCompressor> compressor(CreateObject<TALAcmCompressor>());
  const WAVEFORMATEX source = Pcm(2, 44100, 16);
  WAVEFORMATEX unknown{0x0055, 2, 44100, 16000, 1, 0, 0};
  EXPECT_FALSE(compressor->OpenCompressor(&source, &unknown));
  EXPECT_FALSE(compressor->GetOpened());
  auto ima = acm::MakeImaAdpcmFormat(44100, 2);
  ima.wfx.nBlockAlign = 3; // inconsistent
  EXPECT_FALSE(compressor->OpenCompressor(&source, &ima.wfx));
  EXPECT_FALSE(compressor->GetOpened());
  // A stored record cut short of the codec bytes its cbSize claims: read as
  // zeros (no coefficients), refused, and never read past the stored block.
  const auto ms = acm::MakeMsAdpcmFormat(44100, 2);
  TOwnedPtr<TALCompressionFormat> cut(CreateObject<TALCompressionFormat>());
  cut->SetFormat(&ms.wfx, sizeof(WAVEFORMATEX));
  EXPECT_EQ(cut->GetSize(), 18);
  EXPECT_FALSE(compressor->OpenCompressor(&source, cut->GetFormat()));
  EXPECT_EQ(cut->GetName(), "MS ADPCM [ Stereo, 44100 Hz  ] ");
  const WAVEFORMATEX threeChannels = Pcm(3, 44100, 16);
  EXPECT_FALSE(compressor->OpenCompressor(&source, &threeChannels)) << "2 channels do not map to 3";

  auto buffer = com::MakeCom<TALAudioBuffer>(44100, 16, 2, 16);
  IALAudioBufferPtr out;
  uint32_t bytes = 7;
  compressor->CompressBuffer(buffer.Get(), out, bytes);
  EXPECT_EQ(bytes, 0u) << "a closed compressor yields nothing";
}
