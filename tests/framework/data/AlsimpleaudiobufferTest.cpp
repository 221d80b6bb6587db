#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/Ippextrafunctions.h"
#include "tests/support/WaveFormatChecks.h"

namespace {

using com::MakeCom;
using com::TComPtr;
using Audio = TComPtr<TALAudioBuffer>;

Audio Make(int rate, int bits, int channels, int frames) {
  return MakeCom<TALAudioBuffer>(rate, bits, channels, frames);
}
// bits, channels, frames and mask at 44100 Hz.
Audio M(int bits, int channels, int frames, uint32_t mask) {
  return MakeCom<TALAudioBuffer>(44100, bits, channels, frames, TALSpeakers(mask));
}

// Fills sample (f, c) with f * 10 + c + base.
void Fill(TALAudioBuffer *b, int base = 0) {
  for (uint32_t f = 0; f < b->GetSize(); ++f)
    for (uint32_t c = 0; c < b->GetChannels(); ++c)
      b->SetItem(f, c, int(f * 10 + c) + base);
}

std::string RangeMessage(const std::function<void()> &fn) {
  try {
    fn();
  } catch (const ERangeError &e) {
    return e.Message();
  }
  return "no error";
}

// ---------------------------------------------------------------------------
// Construction and format

TEST(AudioBuffer, DefaultIsOneChannelOf8BitsAt11025WithNoFrames) {
  auto b = MakeCom<TALAudioBuffer>();
  EXPECT_EQ(b->GetChannels(), 1u);
  EXPECT_EQ(b->GetBitsPerSample(), 8u);
  EXPECT_EQ(b->GetSampleBitWidth(), 8u);
  EXPECT_EQ(b->GetSamplesPerSecond(), 11025u);
  EXPECT_EQ(b->GetChannelMask().Mask, 1u);
  EXPECT_EQ(b->GetSize(), 0u);
  EXPECT_EQ(b->GetByteSize(), 0u);
  WAVEFORMATEXTENSIBLE w;
  b->GetWaveFormat(w);
  EXPECT_TRUE(IsExtensiblePcm(
      w, {.Channels = 1, .SamplesPerSec = 11025, .ContainerBits = 8, .ChannelMask = 1}));
  EXPECT_EQ(w.Format.nAvgBytesPerSec, 11025u);
}

TEST(AudioBuffer, FramesAreDataBytesOverBlockAlign) {
  auto b = Make(44100, 16, 2, 1024);
  EXPECT_EQ(b->GetDataStep(), 4u);
  EXPECT_EQ(b->GetChannelMask().Mask, 3u);
  EXPECT_EQ(b->GetSize(), 1024u);
  EXPECT_EQ(b->GetDataOffset(), 40u);
  EXPECT_EQ(b->GetByteSize() + b->GetDataOffset(), 4136u);
  EXPECT_EQ(b->GetCharSize(), 4096u);
  EXPECT_EQ(b->GetConstFormat()->Format.nAvgBytesPerSec, 44100u * 4);
  // The data follows the header in the store's block.
  EXPECT_EQ(b->Read(), b->GetBuffer()->GetRawData() + 40);
}

TEST(AudioBuffer, HeaderIsTheLittleEndianExtensibleRecord) {
  auto b = Make(44100, 16, 2, 1);
  const uint8_t expected[40] = {0xFE, 0xFF, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1,
                                0x02, 0x00, 0x04, 0x00, 0x10, 0x00, 0x16, 0x00, 0x10, 0x00,
                                0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  EXPECT_EQ(std::memcmp(b->GetBuffer()->GetRawData(), expected, 40), 0);
}

TEST(AudioBuffer, ContainerIsValidBitsRoundedUpToBytes) {
  const struct {
    int bits, container;
  } rows[] = {{1, 8},   {8, 8},   {9, 16},  {12, 16}, {16, 16},
              {17, 24}, {20, 24}, {24, 24}, {25, 32}, {32, 32}};
  for (const auto &r : rows) {
    auto b = Make(48000, r.bits, 3, 2);
    EXPECT_EQ(b->GetSampleBitWidth(), uint32_t(r.container)) << r.bits;
    EXPECT_EQ(b->GetBitsPerSample(), uint32_t(r.bits));
    EXPECT_EQ(b->GetDataStep(), uint32_t(3 * r.container / 8)) << r.bits;
  }
  EXPECT_EQ(Make(48000, 16, 32, 1)->GetChannelMask().Mask, 0xFFFFFFFFu);
}

TEST(AudioBuffer, FormatConstructorRecomputesTheDerivedFields) {
  WAVEFORMATEXTENSIBLE f{};
  ALFillWaveFormat(f, 96000, 24, 2, TALSpeakers(5));
  f.Format.wBitsPerSample = 32; // a 32-bit container with 24 valid bits
  f.Format.nBlockAlign = 8;
  auto b = MakeCom<TALAudioBuffer>(&f, 10);
  EXPECT_EQ(b->GetSampleBitWidth(), 24u);
  EXPECT_EQ(b->GetDataStep(), 6u);
  EXPECT_EQ(b->GetChannelMask().Mask, 5u);
  EXPECT_EQ(b->GetSamplesPerSecond(), 96000u);
  EXPECT_EQ(b->GetSize(), 10u);
}

TEST(AudioBuffer, NegativeOrOversizedArgumentsAreRangeErrors) {
  EXPECT_THROW(Make(44100, 16, 2, -1), ERangeError);
  EXPECT_THROW(Make(44100, 16, -2, 1), ERangeError);
  EXPECT_THROW(Make(44100, 32, 32, 1 << 30), ERangeError);
}

// ---------------------------------------------------------------------------
// Samples

TEST(AudioBuffer, ItemsReadAndWriteByContainerWidth) {
  const struct {
    int bits;
    int value, read;
  } rows[] = {{8, 200, 200},
              {8, -1, 255},
              {16, -32768, -32768},
              {16, 70000, 70000 - 65536},
              {24, -8388608, -8388608},
              {24, 0x00FFFFFF, -1},
              {32, -2147483647 - 1, -2147483647 - 1}};
  for (const auto &r : rows) {
    auto b = Make(8000, r.bits, 2, 3);
    b->Zero();
    b->SetItem(2, 1, r.value);
    EXPECT_EQ(b->GetItem(2, 1), r.read) << r.bits;
    EXPECT_EQ(b->GetItem(2, 0), r.bits == 8 ? 127 : 0) << r.bits;
  }
  // 24-bit stereo: channel 1 of frame 0 is bytes 3 to 5.
  auto b = Make(8000, 24, 2, 1);
  uint8_t *d = b->Write();
  const uint8_t bytes[6] = {1, 0, 0, 0xFF, 0xFF, 0xFF};
  std::memcpy(d, bytes, 6);
  EXPECT_EQ(b->GetItem(0, 1), -1);
  EXPECT_EQ(b->GetItem(0, 0), 1);
}

TEST(AudioBuffer, ItemAccessOutsideTheBufferRaisesWithTheIndex) {
  auto b = Make(8000, 16, 2, 5);
  EXPECT_EQ(RangeMessage([&] { b->GetItem(0, 2); }), "Channel out of range = 2");
  EXPECT_EQ(RangeMessage([&] { b->GetItem(5, 0); }), "Index out of range = 5");
  EXPECT_EQ(RangeMessage([&] { b->SetItem(0, 7, 1); }), "Channel out of rabge = 7");
  EXPECT_EQ(RangeMessage([&] { b->SetItem(5, 0, 1); }), "Index out of rabge = 5");
}

TEST(AudioBuffer, SetItemMakesASharedBufferUniqueEvenWhenItRaises) {
  auto a = Make(8000, 16, 1, 4);
  Fill(a.Get());
  auto b = MakeCom<TALAudioBuffer>(a.Get());
  EXPECT_EQ(b->GetBuffer(), a->GetBuffer());
  EXPECT_THROW(b->SetItem(9, 0, 1), ERangeError);
  EXPECT_NE(b->GetBuffer(), a->GetBuffer());
  b->SetItem(1, 0, 99);
  EXPECT_EQ(a->GetItem(1, 0), 10);
  EXPECT_EQ(b->GetItem(1, 0), 99);
  EXPECT_EQ(b->GetItem(2, 0), 20); // the copy kept the samples
}

TEST(AudioBuffer, SharingConstructorsShareTheStoreAndRefuseOtherBuffers) {
  auto a = Make(8000, 16, 2, 4);
  TComPtr<ISLDataBuffer> asData(a.Get());
  IALAudioBufferPtr asAudio(a.Get());
  auto b = MakeCom<TALAudioBuffer>(asData.Get());
  auto c = MakeCom<TALAudioBuffer>(asAudio.Get());
  EXPECT_EQ(b->GetBuffer(), a->GetBuffer());
  EXPECT_EQ(c->GetSize(), 4u);
  auto copy = a->MakeCopy();
  EXPECT_NE(IALAudioBufferPtr::Query(copy), nullptr);
  auto block = MakeCom<TSLBlockBuffer>(8u);
  EXPECT_THROW(MakeCom<TALAudioBuffer>(static_cast<ISLDataBuffer *>(block.Get())), EInvalidCast);
  EXPECT_THROW(a->Assign(block.Get()), EInvalidCast);
  auto other = Make(48000, 24, 1, 2);
  other->Assign(a.Get());
  EXPECT_EQ(other->GetBuffer(), a->GetBuffer());
  EXPECT_EQ(other->GetChannels(), 2u);
  EXPECT_EQ(other->GetSize(), 4u);
}

// ---------------------------------------------------------------------------
// Resize

TEST(AudioBuffer, ResizeToZeroEmptiesTheBuffer) {
  auto b = Make(8000, 16, 2, 10);
  auto *store = b->GetBuffer();
  b->Resize(0, true);
  EXPECT_EQ(b->GetSize(), 0u);
  EXPECT_EQ(b->GetByteSize(), 0u);
  EXPECT_EQ(b->GetBuffer(), store);
  EXPECT_EQ(b->GetChannels(), 2u);
}

TEST(AudioBuffer, ShrinkingStaysInPlaceAndLeavesSharersAlone) {
  auto a = Make(8000, 16, 2, 10);
  auto b = MakeCom<TALAudioBuffer>(a.Get());
  b->Resize(4, true);
  EXPECT_EQ(b->GetSize(), 4u);
  EXPECT_EQ(a->GetSize(), 10u);
  EXPECT_EQ(b->GetBuffer(), a->GetBuffer());
}

TEST(AudioBuffer, GrowingASharedBufferMovesItWithHeaderStampAndSamples) {
  auto a = Make(22050, 24, 2, 4);
  Fill(a.Get(), -50);
  a->GetTimeStamp()->SetAvailable(true);
  a->GetTimeStamp()->SetBegin(1000);
  a->GetTimeStamp()->SetEnd(2000);
  auto b = MakeCom<TALAudioBuffer>(a.Get());
  b->Resize(100, true);
  EXPECT_NE(b->GetBuffer(), a->GetBuffer());
  EXPECT_EQ(b->GetSize(), 100u);
  EXPECT_EQ(b->GetSamplesPerSecond(), 22050u);
  EXPECT_EQ(b->GetSampleBitWidth(), 24u);
  EXPECT_EQ(b->GetItem(3, 1), 31 - 50);
  EXPECT_TRUE(b->GetTimeStamp()->GetAvailable());
  EXPECT_EQ(b->GetTimeStamp()->GetBegin(), 1000);
  EXPECT_EQ(b->GetTimeStamp()->GetEnd(), 2000);
  EXPECT_EQ(a->GetSize(), 4u);
  // Alone in a block large enough, growing stays in place.
  auto *store = b->GetBuffer();
  b->Resize(101, false);
  EXPECT_EQ(b->GetBuffer(), store);
}

// ---------------------------------------------------------------------------
// Channel pairing

TEST(AudioBuffer, PairingWalksTheSpeakerTableWithinTheChannelCounts) {
  EXPECT_EQ(GetALSpeakerValuesSize(), 18);
  for (int i = 0; i < 18; ++i)
    EXPECT_EQ(GetALSpeakerValues(i), i);
  const struct {
    uint32_t srcMask, srcChannels, dstMask, dstChannels;
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
  } rows[] = {
      {3, 2, 5, 2, {{0, 0}}}, {5, 2, 7, 3, {{0, 0}, {1, 2}}}, {3, 2, 3, 2, {{0, 0}, {1, 1}}},
      {3, 1, 3, 2, {{0, 0}}},                                 // a mono buffer that kept mask 3
      {3, 2, 3, 1, {{0, 0}}}, {1u << 20, 1, 1u << 20, 1, {}}, // bits beyond the table pair nothing
      {0, 2, 3, 2, {}},
  };
  for (const auto &r : rows) {
    std::vector<std::pair<uint32_t, uint32_t>> got;
    for (auto p : ALPairChannels(TALSpeakers(r.srcMask), r.srcChannels, TALSpeakers(r.dstMask),
                                 r.dstChannels))
      got.emplace_back(p.Source, p.Dest);
    EXPECT_EQ(got, r.pairs) << r.srcMask << " -> " << r.dstMask;
  }
}

TEST(AudioBuffer, CopyPairsChannelsBySpeaker) {
  auto src = M(16, 2, 3, 3);
  Fill(src.Get());
  auto dst = M(16, 2, 3, 5); // front left + front centre
  dst->SetValue(-7);
  src->CopyTo(0, dst.Get(), 0, 3);
  for (uint32_t f = 0; f < 3; ++f) {
    EXPECT_EQ(dst->GetItem(f, 0), int(f * 10));
    EXPECT_EQ(dst->GetItem(f, 1), -7);
  }
}

TEST(AudioBuffer, CopyFromAMonoBufferWithAStereoMaskStaysInsideTheFrame) {
  auto src = M(16, 1, 4, 3); // one channel, mask 3
  Fill(src.Get(), 1);
  auto dst = M(16, 2, 4, 3);
  dst->Zero();
  src->CopyToAudio(0, dst.Get(), 0, 4);
  for (uint32_t f = 0; f < 4; ++f) {
    EXPECT_EQ(dst->GetItem(f, 0), int(f * 10 + 1));
    EXPECT_EQ(dst->GetItem(f, 1), 0);
  }
}

TEST(AudioBuffer, CopyConvertsWidthsAtOffsets) {
  auto src = M(16, 2, 4, 3);
  src->Zero();
  src->SetItem(1, 0, -32768);
  src->SetItem(1, 1, 32767);
  auto dst = M(24, 2, 6, 3);
  dst->Zero();
  src->CopyTo(1, dst.Get(), 3, 2);
  EXPECT_EQ(dst->GetItem(3, 0), -8388608);
  EXPECT_EQ(dst->GetItem(3, 1), 8388607);
  EXPECT_EQ(dst->GetItem(4, 0), 0);
  EXPECT_EQ(dst->GetItem(2, 1), 0);
  EXPECT_THROW(src->CopyTo(2, dst.Get(), 0, 3), ERangeError);
  EXPECT_THROW(src->CopyTo(0, dst.Get(), 5, 2), ERangeError);
}

TEST(AudioBuffer, CopyIntoASharedDestinationLeavesItsSharerAlone) {
  auto src = M(16, 1, 2, 1);
  Fill(src.Get(), 5);
  auto dst = M(16, 1, 2, 1);
  dst->SetValue(1);
  auto sharer = MakeCom<TALAudioBuffer>(dst.Get());
  src->CopyTo(0, dst.Get(), 1, 1);
  EXPECT_EQ(dst->GetItem(1, 0), 5);
  EXPECT_EQ(dst->GetItem(0, 0), 1);
  EXPECT_EQ(sharer->GetItem(1, 0), 1);
}

TEST(AudioBuffer, CopyToAnotherKindOfBufferCopiesBytes) {
  auto src = M(16, 1, 4, 1);
  Fill(src.Get());
  auto block = MakeCom<TSLBlockBuffer>(8u);
  std::memset(block->Write(), 0, 8);
  src->CopyTo(2, block.Get(), 0, 4);
  int16_t v[2];
  std::memcpy(v, block->Read(), 4);
  EXPECT_EQ(v[0], 10);
  EXPECT_EQ(v[1], 20);
}

// ---------------------------------------------------------------------------
// Arithmetic and fills

TEST(AudioBuffer, MonoOperandIsAppliedToEveryChannel) {
  auto target = M(16, 2, 3, 3);
  Fill(target.Get());
  auto mono = M(16, 1, 3, 1);
  mono->SetValue(100);
  target->Add(mono.Get());
  for (uint32_t f = 0; f < 3; ++f) {
    EXPECT_EQ(target->GetItem(f, 0), int(f * 10) + 100);
    EXPECT_EQ(target->GetItem(f, 1), int(f * 10 + 1) + 100);
  }
}

TEST(AudioBuffer, OperandChannelsMeetTheirSpeakers) {
  auto target = M(16, 3, 2, 7);
  target->SetValue(1000);
  auto operand = M(16, 2, 2, 5);
  operand->SetItem(0, 0, 1);
  operand->SetItem(1, 0, 2);
  operand->SetItem(0, 1, 30);
  operand->SetItem(1, 1, 40);
  target->Subtract(operand.Get());
  EXPECT_EQ(target->GetItem(0, 0), 999);
  EXPECT_EQ(target->GetItem(1, 0), 998);
  EXPECT_EQ(target->GetItem(0, 1), 1000);
  EXPECT_EQ(target->GetItem(0, 2), 970);
  EXPECT_EQ(target->GetItem(1, 2), 960);
}

TEST(AudioBuffer, ArithmeticCoversTheShorterBufferAndEveryWidth) {
  const struct {
    int bits, a, b, sum, product;
  } rows[] = {{8, 137, 130, 140, 157},
              {16, 30000, 10000, 32767, 32767},
              {24, -5, 3, -2, -15},
              {32, 7, -3, 4, -21}};
  for (const auto &r : rows) {
    auto target = M(r.bits, 1, 3, 1);
    auto other = M(r.bits, 1, 2, 1);
    for (uint32_t f = 0; f < 3; ++f)
      target->SetItem(f, 0, r.a);
    for (uint32_t f = 0; f < 2; ++f)
      other->SetItem(f, 0, r.b);
    auto copy = MakeCom<TALAudioBuffer>(target.Get());
    target->Add(other.Get());
    EXPECT_EQ(target->GetItem(1, 0), r.sum) << r.bits;
    EXPECT_EQ(target->GetItem(2, 0), r.a) << r.bits;
    EXPECT_EQ(copy->GetItem(0, 0), r.a) << r.bits; // copy-on-write
    auto product = M(r.bits, 1, 3, 1);
    for (uint32_t f = 0; f < 3; ++f)
      product->SetItem(f, 0, r.a);
    product->Multiply(other.Get());
    EXPECT_EQ(product->GetItem(0, 0), r.product) << r.bits;
  }
  auto a16 = M(16, 1, 1, 1), b8 = M(8, 1, 1, 1);
  EXPECT_THROW(a16->Add(b8.Get()), EInvalidOperation);
}

TEST(AudioBuffer, FillsUseTheZeroLevelOfEachWidth) {
  auto b8 = M(8, 2, 4, 3);
  b8->Zero();
  for (uint32_t i = 0; i < 8; ++i)
    EXPECT_EQ(b8->Read()[i], 127);
  b8->SetValue(-127);
  for (uint32_t i = 0; i < 8; ++i)
    EXPECT_EQ(b8->Read()[i], 0);
  const int widths[] = {16, 24, 32};
  for (int bits : widths) {
    auto b = M(bits, 2, 5, 3);
    b->SetValue(-3);
    for (uint32_t f = 0; f < 5; ++f)
      for (uint32_t c = 0; c < 2; ++c)
        EXPECT_EQ(b->GetItem(f, c), -3) << bits;
    b->Zero();
    for (uint32_t i = 0; i < b->GetByteSize(); ++i)
      EXPECT_EQ(b->Read()[i], 0) << bits;
  }
}

TEST(AudioBuffer, MultiplyByConstantScalesEverySample) {
  auto b = M(16, 2, 2, 3);
  b->SetItem(0, 0, 3);
  b->SetItem(0, 1, 5);
  b->SetItem(1, 0, -20000);
  b->SetItem(1, 1, 20000);
  b->MultiplyByConstant(0.5);
  EXPECT_EQ(b->GetItem(0, 0), 2);
  EXPECT_EQ(b->GetItem(0, 1), 2);
  b->MultiplyByConstant(4);
  EXPECT_EQ(b->GetItem(1, 0), -32768);
  EXPECT_EQ(b->GetItem(1, 1), 32767);
  auto b8 = M(8, 1, 2, 1);
  b8->Zero();
  b8->MultiplyByConstant(3);
  EXPECT_EQ(b8->GetItem(0, 0), 127);
}

// ---------------------------------------------------------------------------
// View and lifetime

TEST(AudioBuffer, ViewForwardsAndRefusesOtherKindsOfBuffer) {
  auto a = M(16, 2, 2, 3);
  a->Zero();
  auto b = M(16, 2, 2, 3);
  b->SetValue(4);
  auto va = a->Data();
  auto vb = b->Data();
  EXPECT_EQ(va->GetChannels(), 2u);
  EXPECT_EQ(va->GetDataOffset(), 40u);
  va->Add(vb.Get());
  EXPECT_EQ(a->GetItem(1, 1), 4);
  va->SetItem(0, 0, -9);
  EXPECT_EQ(va->GetItem(0, 0), -9);
  auto block = MakeCom<TSLBlockBuffer>(4u);
  // A view whose buffer is not an audio buffer cannot be an operand.
  auto generic = TComPtr<ISLDataAccess>(block->DataAccess());
  auto asAudioView = TComPtr<IALAudioDataAccess>::Query(generic);
  EXPECT_EQ(asAudioView, nullptr);
}

TEST(AudioBuffer, BuffersAndStoresAreReleased) {
  const int stores = _SLCountStores.load(), buffers = _SLCountPasBuffers.load();
  {
    auto a = M(16, 2, 2, 3);
    auto b = a->MakeCopy();
    auto view = a->Data();
    a->Resize(1000, true);
    IALAudioBufferPtr::Query(b)->Modify();
  }
  EXPECT_EQ(_SLCountStores.load(), stores);
  EXPECT_EQ(_SLCountPasBuffers.load(), buffers);
}

// ---------------------------------------------------------------------------
// Width conversion and rate change

TEST(AudioConversion, ConvertBitsRoundTripsLoseDetailAndEqualWidthsWriteNothing) {
  const int16_t in[3] = {1000, -1000, 32767};
  uint8_t narrow[3];
  ConvertBits(reinterpret_cast<const uint8_t *>(in), 16, 2, narrow, 8, 1, 3);
  int16_t back[3];
  ConvertBits(narrow, 8, 1, reinterpret_cast<uint8_t *>(back), 16, 2, 3);
  EXPECT_NE(back[0], in[0]);
  EXPECT_NEAR(back[0], in[0], 256);
  int16_t untouched[3] = {7, 7, 7};
  ConvertBits(reinterpret_cast<const uint8_t *>(in), 16, 2, reinterpret_cast<uint8_t *>(untouched),
              16, 2, 3);
  EXPECT_EQ(untouched[0], 7);
  ConvertBits(reinterpret_cast<const uint8_t *>(in), 16, 2, reinterpret_cast<uint8_t *>(untouched),
              20, 2, 3);
  EXPECT_EQ(untouched[2], 7);
  // 24 <-> 8 use the zero level 127.
  uint8_t s24[6], to8[2];
  Ippextrafunctions::Convert32BitTo24Bit(0, s24);
  Ippextrafunctions::Convert32BitTo24Bit(-8388608, s24 + 3);
  ConvertBits(s24, 24, 3, to8, 8, 1, 2);
  EXPECT_EQ(to8[0], 127);
  EXPECT_EQ(to8[1], 0);
}

// One row per pair of widths; each value tells the buffers' own full-scale
// routines (8-bit zero level 127, truncating ratios) from the vector-math
// catalogue's (8 bits over 0 ... 255, shifts).
TEST(AudioConversion, ConvertBitsPicksTheRoutineOfEachPairOfWidths) {
  const struct {
    int from, to;
    int64_t in, out;
  } rows[] = {
      {8, 16, 0, -32768},         {8, 24, 0, -8388607}, {8, 32, 0, INT32_MIN}, {16, 8, 0, 128},
      {16, 24, -32768, -8388608}, {16, 32, 1, 65538},   {24, 8, 0, 127},       {24, 16, 256, 0},
      {24, 32, 1, 256},           {32, 8, 0, 128},      {32, 16, 65536, 0},    {32, 24, 256, 0},
  };
  for (const auto &r : rows) {
    auto src = M(r.from, 1, 2, 1), dst = M(r.to, 1, 2, 1);
    src->SetItem(0, 0, int32_t(r.in));
    src->SetItem(1, 0, int32_t(r.in));
    dst->SetValue(5);
    const int32_t untouched = dst->GetItem(1, 0);
    ConvertBits(src->Read() + src->GetDataStep(), r.from, int(src->GetDataStep()), dst->Write(),
                r.to, int(dst->GetDataStep()), 1);
    EXPECT_EQ(dst->GetItem(0, 0), r.out) << r.from << " -> " << r.to;
    EXPECT_EQ(dst->GetItem(1, 0), untouched) << r.from << " -> " << r.to;
  }
}

TEST(AudioConversion, EqualRatesCopySourceIntoDest) {
  auto src = M(16, 2, 6, 3);
  Fill(src.Get());
  IALAudioBufferPtr dest(M(16, 2, 1, 3).Get());
  ConvertBuffers(src.Get(), 44100, dest, 44100);
  ASSERT_EQ(dest->GetSize(), 6u);
  EXPECT_EQ(dest->GetItem(5, 1), 51);
}

TEST(AudioConversion, HalvingTheRateKeepsEveryOtherFrame) {
  auto src = M(16, 1, 10, 1);
  Fill(src.Get());
  IALAudioBufferPtr dest(M(16, 1, 1, 1).Get());
  ConvertBuffers(src.Get(), 44100, dest, 22050);
  ASSERT_EQ(dest->GetSize(), 5u);
  for (uint32_t f = 0; f < 5; ++f)
    EXPECT_EQ(dest->GetItem(f, 0), int(f * 20));
}

TEST(AudioConversion, DoublingTheRateHoldsEachFrameOverTheGap) {
  auto src = M(16, 2, 3, 3);
  Fill(src.Get());
  IALAudioBufferPtr dest(M(16, 2, 1, 3).Get());
  ConvertBuffers(src.Get(), 8000, dest, 16000);
  ASSERT_EQ(dest->GetSize(), 6u);
  for (uint32_t f = 0; f < 6; ++f)
    EXPECT_EQ(dest->GetItem(f, 1), int((f / 2) * 10 + 1)) << f;
}

TEST(AudioConversion, ARateOfZeroGivesNoFrames) {
  auto src = M(16, 1, 4, 1);
  src->Zero();
  IALAudioBufferPtr dest(M(16, 1, 3, 1).Get());
  ConvertBuffers(src.Get(), 44100, dest, 0);
  EXPECT_EQ(dest->GetSize(), 0u);
  IALAudioBufferPtr none;
  EXPECT_THROW(ConvertBuffers(src.Get(), 44100, none, 22050), EInvalidCast);
}

TEST(AudioConversion, DestKeepsItsOwnWidth) {
  auto src = M(16, 1, 4, 1);
  src->SetValue(-32768);
  IALAudioBufferPtr dest(M(24, 1, 1, 1).Get());
  ConvertBuffers(src.Get(), 11025, dest, 33075);
  ASSERT_EQ(dest->GetSize(), 12u);
  EXPECT_EQ(dest->GetSampleBitWidth(), 24u);
  for (uint32_t f = 0; f < 12; ++f)
    EXPECT_EQ(dest->GetItem(f, 0), -8388608) << f;
}

} // namespace
