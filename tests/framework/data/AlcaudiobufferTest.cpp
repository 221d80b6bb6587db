#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/Alcaudiobuffer.h"

namespace {

using com::MakeCom;

// A wrapper of Bits / Channels / Frames at 8000 Hz with mask Mask.
TALCAudioBuffer Wrap(int bits, int channels, int frames, uint32_t mask) {
  return TALCAudioBuffer(
      MakeCom<TALAudioBuffer>(8000, bits, channels, frames, TALSpeakers(mask)).Get());
}

std::vector<uint8_t> Bytes(const TALCAudioBuffer &b) {
  return {b.Read(), b.Read() + b.GetByteSize()};
}

TEST(AudioWrapper, FormatAndDefaults) {
  TALCAudioBuffer d;
  EXPECT_EQ(d.GetChannels(), 1);
  EXPECT_EQ(d.GetSampleBitWidth(), 8);
  EXPECT_EQ(d.GetSize(), 0);
  TALCAudioBuffer b(44100, 20, 2, 8);
  EXPECT_EQ(b.GetBitsPerSample(), 20);
  EXPECT_EQ(b.GetSampleBitWidth(), 24);
  EXPECT_EQ(b.GetDataStep(), 6);
  EXPECT_EQ(b.GetChannelMask().Mask, 3u);
  EXPECT_EQ(b.GetSize(), 8);
  EXPECT_EQ(b.GetByteSize(), 48u);
}

TEST(AudioWrapper, CopiesAreCopyOnWrite) {
  TALCAudioBuffer a(8000, 16, 2, 4);
  a.Assign(5);
  TALCAudioBuffer b(a);
  EXPECT_EQ(b.GetPasBuffer()->GetBuffer(), a.GetPasBuffer()->GetBuffer());
  b.Add(1);
  EXPECT_EQ(a.GetItem(1, 3), 5);
  EXPECT_EQ(b.GetItem(1, 3), 6);
  TALCAudioBuffer c(8000, 16, 1, 1);
  c = a;
  EXPECT_EQ(c.GetChannels(), 2);
  EXPECT_EQ(c.GetItem(0, 0), 5);
}

TEST(AudioWrapper, SamplesOutsideTheBufferReadZeroAndWriteNothing) {
  TALCAudioBuffer b(8000, 16, 2, 3);
  b.Assign(9);
  const auto before = Bytes(b);
  EXPECT_EQ(b.GetItem(2, 0), 0);
  EXPECT_EQ(b.GetItem(0, 3), 0);
  EXPECT_EQ(b.GetItem(-1, 0), 0);
  b.SetItem(2, 0, 5);
  b.SetItem(0, 3, 5);
  EXPECT_EQ(Bytes(b), before);
}

TEST(AudioWrapper, SamplesByWidth) {
  TALCAudioBuffer b24(8000, 24, 2, 2);
  b24.Zero();
  uint8_t *d = b24.Write();
  d[3] = 0xFE;
  d[4] = 0xFF;
  d[5] = 0xFF;
  EXPECT_EQ(b24.GetItem(1, 0), -2);
  b24.SetItem(0, 1, 9000000); // the store rule clips
  EXPECT_EQ(b24.GetItem(0, 1), 8388607);
  TALCAudioBuffer b8(8000, 8, 1, 1);
  b8.SetItem(0, 0, 200);
  EXPECT_EQ(b8.GetItem(0, 0), -56); // the raw byte taken as signed
  EXPECT_EQ(b8.Read()[0], 200);
}

TEST(AudioWrapper, FillsAndZero) {
  TALCAudioBuffer b8(8000, 8, 2, 3), b16(8000, 16, 2, 3);
  b8.Zero();
  b16.Assign(3);
  b16.Zero();
  for (uint8_t x : Bytes(b8))
    EXPECT_EQ(x, 127);
  for (uint8_t x : Bytes(b16))
    EXPECT_EQ(x, 0);
  b8.Assign(-127);
  for (uint8_t x : Bytes(b8))
    EXPECT_EQ(x, 0);
  TALCAudioBuffer b24(8000, 24, 1, 5);
  b24.Assign(0x123456);
  for (int f = 0; f < 5; ++f)
    EXPECT_EQ(b24.GetItem(0, f), 0x123456);
}

TEST(AudioWrapper, ZeroClearsEveryByteOfAnUnusualWidth) {
  TALCAudioBuffer b40(8000, 40, 2, 3); // 40-bit containers: no sample routine of their own
  ASSERT_EQ(b40.GetSampleBitWidth(), 40);
  std::memset(b40.Write(), 0x5A, b40.GetByteSize());
  b40.Zero();
  ASSERT_EQ(b40.GetByteSize(), 30u);
  for (uint8_t x : Bytes(b40))
    EXPECT_EQ(x, 0);
}

struct ConstantCase {
  std::string name;
  int bits, x, v;
  void (TALCAudioBuffer::*op)(int);
  int expected; // raw byte for 8 bits, else the sample
};
void PrintTo(const ConstantCase &c, std::ostream *os) { *os << c.name; }

class AudioWrapperConstant : public testing::TestWithParam<ConstantCase> {};

TEST_P(AudioWrapperConstant, AppliesToEverySample) {
  const ConstantCase &c = GetParam();
  TALCAudioBuffer b(8000, c.bits, 2, 3);
  for (int f = 0; f < 3; ++f)
    for (int ch = 0; ch < 2; ++ch)
      b.SetItem(ch, f, c.x);
  (b.*c.op)(c.v);
  for (int f = 0; f < 3; ++f)
    for (int ch = 0; ch < 2; ++ch) {
      const int got = c.bits == 8 ? b.Read()[f * 2 + ch] : b.GetItem(ch, f);
      EXPECT_EQ(got, c.expected) << f << "," << ch;
    }
}

using W = TALCAudioBuffer;
void (W::*const AddC)(int) = &W::Add;
void (W::*const SubC)(int) = &W::Sub;
void (W::*const MulC)(int) = &W::Multiply;
void (W::*const DivC)(int) = &W::Div;

INSTANTIATE_TEST_SUITE_P(
    Rows, AudioWrapperConstant,
    testing::Values(ConstantCase{"Add8SaturatesOnTheRawByte", 8, 250, 10, AddC, 255},
                    ConstantCase{"Sub8SaturatesOnTheRawByte", 8, 5, 10, SubC, 0},
                    ConstantCase{"Add8TakesTheValueModulo256", 8, 100, 257, AddC, 101},
                    ConstantCase{"Mul8AroundTheZeroLevel", 8, 137, 2, MulC, 147},
                    ConstantCase{"Div8AroundTheZeroLevel", 8, 147, 2, DivC, 137},
                    ConstantCase{"Div8ByZeroGivesTheZeroLevel", 8, 147, 0, DivC, 127},
                    ConstantCase{"Add16Saturates", 16, 32760, 10, AddC, 32767},
                    ConstantCase{"Mul16", 16, -300, 3, MulC, -900},
                    ConstantCase{"Add24ClipsAtTheStore", 24, 8388600, 100, AddC, 8388607},
                    ConstantCase{"Div24Truncates", 24, -7, 2, DivC, -3},
                    ConstantCase{"Div24ByZero", 24, -7, 0, DivC, -8388608},
                    ConstantCase{"Add32Wraps", 32, INT_MAX, 1, AddC, INT_MIN},
                    ConstantCase{"Sub32", 32, 5, 7, SubC, -2},
                    ConstantCase{"Div32ByZero", 32, 9, 0, DivC, INT_MAX}),
    [](const testing::TestParamInfo<ConstantCase> &info) { return info.param.name; });

TEST(AudioWrapper, SampleFormsPairChannelsBySpeaker) {
  // Operand: front left + front centre; target: left, right, centre.
  TALCAudioBuffer source = Wrap(16, 2, 2, 5);
  source.SetItem(0, 1, 10);
  source.SetItem(1, 1, 300);
  TALCAudioBuffer target = Wrap(16, 3, 4, 7);
  target.Assign(1);
  auto frame1 = source.Data()[1];
  EXPECT_EQ(frame1.GetChannelMask().Mask, 5u);
  EXPECT_EQ(int(frame1[1]), 300);
  target.Add(frame1);
  for (int f = 0; f < 4; ++f) {
    EXPECT_EQ(target.GetItem(0, f), 11);
    EXPECT_EQ(target.GetItem(1, f), 1);
    EXPECT_EQ(target.GetItem(2, f), 301);
  }
  target.Multiply(frame1);
  EXPECT_EQ(target.GetItem(2, 0), 32767); // 301 * 300 saturates
  EXPECT_EQ(target.GetItem(1, 0), 1);
}

TEST(AudioWrapper, AssignFromASampleKeepsUnpairedChannelsOfASharedStore) {
  TALCAudioBuffer target = Wrap(16, 2, 3, 3);
  target.Assign(4);
  TALCAudioBuffer sharer(target);
  TALCAudioBuffer mono = Wrap(16, 1, 1, 1);
  mono.SetItem(0, 0, -8);
  target.Assign(mono.Data()[0]);
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(target.GetItem(0, f), -8);
    EXPECT_EQ(target.GetItem(1, f), 4);
    EXPECT_EQ(sharer.GetItem(0, f), 4);
  }
}

TEST(AudioWrapper, EightBitSampleDivisionByZeroGivesTheZeroLevel) {
  TALCAudioBuffer target = Wrap(8, 1, 2, 1);
  target.Assign(20);
  TALCAudioBuffer zero = Wrap(8, 1, 1, 1);
  zero.SetItem(0, 0, 0);
  target.Div(zero.Data()[0]);
  EXPECT_EQ(target.Read()[0], 127);
  EXPECT_EQ(target.Read()[1], 127);
}

TEST(AudioWrapper, BufferFormsCoverTheCommonFramesOfPairedChannels) {
  TALCAudioBuffer target = Wrap(8, 2, 4, 3);
  target.Zero();                            // 127 everywhere
  TALCAudioBuffer other = Wrap(8, 1, 2, 2); // front right only
  other.Assign(10);                         // 137
  target.Add(other);
  const uint8_t expected[8] = {127, 137, 127, 137, 127, 127, 127, 127};
  EXPECT_EQ(std::memcmp(target.Read(), expected, 8), 0);
  target.Sub(other);
  for (uint8_t x : Bytes(target))
    EXPECT_EQ(x, 127);
  TALCAudioBuffer wide = Wrap(16, 2, 4, 3);
  EXPECT_THROW(target.Add(wide), EInvalidOperation);
  TALCAudioBuffer t32 = Wrap(32, 2, 2, 3), o32 = Wrap(32, 2, 2, 3);
  t32.Assign(-9);
  o32.Assign(2);
  t32.Div(o32);
  EXPECT_EQ(t32.GetItem(1, 1), -4);
}

TEST(AudioWrapper, CopyResizeAssignBytesAndEquality) {
  TALCAudioBuffer a(8000, 8, 1, 4), b(8000, 8, 1, 6);
  const uint8_t bytes[4] = {1, 2, 3, 4};
  a.Assign(bytes, 4);
  EXPECT_EQ(a.GetSize(), 4);
  b.Assign(50);
  b.Copy(a);
  EXPECT_EQ(b.Read()[3], 4);
  EXPECT_EQ(b.Read()[4], 177);
  EXPECT_FALSE(a.IsEqual(b));
  b.Resize(4);
  EXPECT_TRUE(a.IsEqual(b));
  TALCAudioBuffer c(8000, 8, 1, 5);
  std::memset(c.Write(), 1, 5);
  EXPECT_FALSE(a.IsEqual(c)); // sizes differ, whatever the content
}

TEST(AudioWrapper, AccessFollowsTheWrapperThroughCopyOnWriteAndDetaches) {
  auto owner = std::make_unique<TALCAudioBuffer>(8000, 16, 2, 3);
  owner->Assign(1);
  TALCAudioBuffer sharer(*owner);
  TALCAudioDataAccess access = owner->Data();
  TALCAudioDataAccess second(access);
  owner->SetItem(1, 2, 77); // separates the stores
  EXPECT_EQ(access.GetItem(1, 2), 77);
  EXPECT_EQ(second.GetItem(1, 2), 77);
  EXPECT_EQ(sharer.GetItem(1, 2), 1);
  access.SetItem(0, 0, -5);
  EXPECT_EQ(owner->GetItem(0, 0), -5);
  EXPECT_EQ(int(access[0][0]), -5);
  EXPECT_EQ(access.GetChannels(), 2);
  owner->GetPasBuffer()->GetTimeStamp()->SetBegin(42);
  EXPECT_EQ(access.GetTimeStamp().GetBeginTime(), 42);
  EXPECT_EQ(owner->GetTimeStamp().GetBeginTime(), 42);
  owner.reset();
  EXPECT_EQ(access.GetBuffer(), nullptr);
  EXPECT_EQ(access.GetItem(0, 0), 0);
  EXPECT_EQ(int(access[0][0]), 0);
  EXPECT_FALSE(access.GetTimeStamp().GetAvailable());
}

TEST(AudioWrapper, WrapperHoldsOneReferenceOnItsBuffer) {
  const int buffers = _SLCountPasBuffers.load();
  {
    auto raw = MakeCom<TALAudioBuffer>(8000, 16, 1, 2);
    {
      TALCAudioBuffer w(raw.Get());
      EXPECT_EQ(raw->RefCount(), 2u);
      TALCAudioBuffer copy(w);
    }
    EXPECT_EQ(raw->RefCount(), 1u);
  }
  EXPECT_EQ(_SLCountPasBuffers.load(), buffers);
}

} // namespace
