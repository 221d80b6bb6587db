#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/Slcrealbuffer.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

std::vector<double> Values(const TSLCRealBuffer &b) {
  return std::vector<double>(b.Read(), b.Read() + b.Count());
}

TSLCRealBuffer Make(std::vector<double> v) {
  return TSLCRealBuffer(v.data(), static_cast<int>(v.size()));
}

using SLCRealBufferTest = SLCountedTest;

TEST_F(SLCRealBufferTest, CopiesShareUntilOneWrites) {
  TSLCRealBuffer a = Make({1, 2, 3});
  TSLCRealBuffer b = a;
  EXPECT_EQ(a.Read(), b.Read());
  EXPECT_NE(a.GetPasBuffer(), b.GetPasBuffer());
  b.Modify()[0] = 10;
  EXPECT_EQ(Values(a), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Values(b), (std::vector<double>{10, 2, 3}));
  TSLCRealBuffer c = a;
  c.Set(7);
  EXPECT_EQ(Values(a), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Values(c), (std::vector<double>{7, 7, 7}));
}

TEST_F(SLCRealBufferTest, AccessFollowsTheWrapperAcrossCopyOnWrite) {
  TSLCRealBuffer a = Make({1, 2});
  TSLCRealBuffer b = a;
  TSLCRealDataAccess access = b.Data();
  // The access triggers the separation: the copy's own Read sees the write.
  access.Modify()[1] = 5;
  EXPECT_EQ(Values(b), (std::vector<double>{1, 5}));
  EXPECT_EQ(Values(a), (std::vector<double>{1, 2}));
  // The wrapper triggers it: the access follows to the new store.
  TSLCRealBuffer c = b;
  TSLCRealDataAccess onC = c.Data();
  c.Modify()[0] = 9;
  EXPECT_EQ(onC.Read(), c.Read());
  EXPECT_EQ(onC.Read()[0], 9);
}

TEST_F(SLCRealBufferTest, ShorterOperandChangesOnlyItsLength) {
  TSLCRealBuffer a = Make({1, 2, 3});
  a.Add(Make({10, 10}));
  EXPECT_EQ(Values(a), (std::vector<double>{11, 12, 3}));
  a.Multiply(Make({2}));
  EXPECT_EQ(Values(a), (std::vector<double>{22, 12, 3}));
}

TEST_F(SLCRealBufferTest, DotLeavesSharedBuffersShared) {
  TSLCRealBuffer a = Make({1, 2, 3});
  TSLCRealBuffer b = a;
  EXPECT_EQ(a.Dot(b), 14);
  EXPECT_EQ(a.Read(), b.Read());
}

TEST_F(SLCRealBufferTest, NeutralConstantsDoNotSeparateSharers) {
  TSLCRealBuffer a = Make({4, 8});
  TSLCRealBuffer b = a;
  b.Add(0);
  b.Sub(0);
  b.Multiply(1);
  b.Divide(1);
  b.Divide(0);
  EXPECT_EQ(a.Read(), b.Read());
  b.Divide(4);
  EXPECT_EQ(Values(b), (std::vector<double>{1, 2}));
  EXPECT_EQ(Values(a), (std::vector<double>{4, 8}));
  b.Add(3);
  b.Multiply(-2);
  b.Sub(1);
  EXPECT_EQ(Values(b), (std::vector<double>{-9, -11}));
}

TEST_F(SLCRealBufferTest, Conversions) {
  TSLCRealBuffer a = Make({300, 2.5, -1.5, 3.5});
  char c[4];
  a.ToChar(c, false);
  EXPECT_EQ(static_cast<uint8_t>(c[0]), 44);
  EXPECT_EQ(c[1], 2);
  EXPECT_EQ(c[2], -1);
  a.ToChar(c, true);
  EXPECT_EQ(c[1], 3);
  EXPECT_EQ(c[2], -1); // -1.5 + 0.5 = -1
  short s[4];
  TSLCRealBuffer big = Make({70000, -70000, 1, 2});
  big.ToShort(s, false);
  EXPECT_EQ(s[0], static_cast<short>(70000 & 0xFFFF));
  EXPECT_EQ(s[1], static_cast<short>(-70000 & 0xFFFF));
  int i[4];
  a.ToInt(i, true);
  EXPECT_EQ(i[1], 2); // ties to even
  EXPECT_EQ(i[2], -2);
  EXPECT_EQ(i[3], 4);
  a.ToInt(i, false);
  EXPECT_EQ(i[1], 2);
  EXPECT_EQ(i[2], -1);
  float f[4];
  a.ToFloat(f);
  EXPECT_EQ(f[0], 300.0f);
  const char src[] = {static_cast<char>(-3), 4, 5, 6};
  a.FromChar(src);
  EXPECT_EQ(a.Read()[0], -3);
  const short sh[] = {-32768, 0, 1, 2};
  a.FromShort(sh);
  EXPECT_EQ(a.Read()[0], -32768);
  const int in[] = {7, 8, 9, 10};
  a.FromInt(in);
  EXPECT_EQ(Values(a), (std::vector<double>{7, 8, 9, 10}));
  double d[4];
  a.ToDouble(d);
  EXPECT_EQ(d[3], 10);
}

TEST_F(SLCRealBufferTest, DecibelsRelativeToFullScale) {
  TSLCRealBuffer a = Make({32768, 16384});
  a.dB(16);
  EXPECT_NEAR(a.Read()[0], 0, 1e-12);
  EXPECT_NEAR(a.Read()[1], -6.0206, 1e-4);
}

TEST_F(SLCRealBufferTest, IsEqual) {
  EXPECT_FALSE(Make({1, 2}).IsEqual(Make({1})));
  EXPECT_TRUE(Make({1, 2}).IsEqual(Make({1, 2})));
  EXPECT_FALSE(Make({1, 2}).IsEqual(Make({1, 3})));
  EXPECT_TRUE(TSLCRealBuffer().IsEqual(TSLCRealBuffer()));
}

TEST_F(SLCRealBufferTest, StatisticsAndEmptyResults) {
  TSLCRealBuffer a = Make({3, -1, 4, 1});
  int index = 0;
  EXPECT_EQ(a.Max(), 4);
  EXPECT_EQ(a.Min(index), -1);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(a.Min(), -1);
  EXPECT_EQ(a.Max(index), 4);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(a.Mean(), 7.0 / 4);
  EXPECT_NEAR(a.SDev(), std::sqrt(14.75 / 3), 1e-12); // sample deviation
  EXPECT_EQ(a.Norm(Make({3, -1, 4, 3}), ntInf), 2);
  EXPECT_EQ(a.Norm(Make({3, -1, 4, 3}), static_cast<TSLNormType>(7)), 0);
  TSLCRealBuffer empty;
  EXPECT_EQ(empty.Max(), 0);
  EXPECT_EQ(empty.SDev(), 0);
  EXPECT_EQ(empty.Max(index), 0);
  EXPECT_EQ(index, -1);
}

TEST_F(SLCRealBufferTest, OperationsFromThisBufferKeepTheirSource) {
  TSLCRealBuffer a = Make({2, 4});
  TSLCRealBuffer keep = a; // a's store is shared
  a.Normalize(1, 2);
  EXPECT_EQ(Values(a), (std::vector<double>{0.5, 1.5}));
  a.Sqr(a);
  EXPECT_EQ(Values(a), (std::vector<double>{0.25, 2.25}));
  EXPECT_EQ(Values(keep), (std::vector<double>{2, 4}));
}

TEST_F(SLCRealBufferTest, ThresholdSides) {
  TSLCRealBuffer a = Make({1, 5, 9});
  a.Threshold(4, ttAbove);
  EXPECT_EQ(Values(a), (std::vector<double>{1, 4, 4}));
  TSLCRealBuffer b(3);
  b.Threshold(Make({1, 5, 9}), 4, ttBelow);
  EXPECT_EQ(Values(b), (std::vector<double>{4, 5, 9}));
}

TEST_F(SLCRealBufferTest, ConvolveSizesTheResult) {
  TSLCRealBuffer r;
  r.Convolve(Make({1, 2}), Make({1, 1, 1}));
  EXPECT_EQ(Values(r), (std::vector<double>{1, 3, 3, 2}));
  TSLCRealBuffer s = Make({1, 2});
  s.Convolve(Make({1, -1}));
  EXPECT_EQ(Values(s), (std::vector<double>{1, 1, -2}));
  TSLCRealBuffer t = Make({5});
  t.Convolve(TSLCRealBuffer());
  EXPECT_EQ(Values(t), (std::vector<double>{5}));
}

TEST_F(SLCRealBufferTest, Correlations) {
  TSLCRealBuffer r(3);
  r.AutoCorr(Make({1, 2, 3}), acPlain);
  EXPECT_EQ(Values(r), (std::vector<double>{14, 8, 3}));
  TSLCRealBuffer self = Make({1, 2, 3});
  self.AutoCorr(self, acPlain);
  EXPECT_EQ(Values(self), (std::vector<double>{14, 8, 3}));
  TSLCRealBuffer c(2);
  c.CrossCorr(Make({1, 2}), Make({1, 2, 3}), 0);
  EXPECT_EQ(Values(c), (std::vector<double>{5, 8}));
}

TEST_F(SLCRealBufferTest, AssignAndResize) {
  TSLCRealBuffer a = Make({1, 2, 3});
  TSLCRealDataAccess access = a.Data();
  const double values[] = {4, 5};
  a.Assign(values, 2);
  EXPECT_EQ(Values(a), (std::vector<double>{4, 5}));
  EXPECT_EQ(access.GetSize(), 2);
  a.Assign(values, 0);
  EXPECT_EQ(a.Count(), 0);
  TSLCRealBuffer b = Make({8, 9});
  a = b;
  EXPECT_EQ(a.Read(), b.Read());
  EXPECT_EQ(access.Read(), b.Read());
  access.Resize(5);
  EXPECT_EQ(a.Count(), 5);
}

TEST_F(SLCRealBufferTest, AccessAssignFollowsTheNewStore) {
  TSLCRealBuffer a = Make({1, 2});
  TSLCRealBuffer b = Make({7, 8, 9});
  TSLCRealDataAccess onA = a.Data();
  onA.Assign(b.Data());
  EXPECT_EQ(Values(a), (std::vector<double>{7, 8, 9}));
  EXPECT_EQ(onA.Read(), b.Read());
  EXPECT_EQ(onA.GetSize(), 3);
  TSLCRealBuffer fromAccess(onA);
  EXPECT_EQ(Values(fromAccess), (std::vector<double>{7, 8, 9}));
}

TEST_F(SLCRealBufferTest, AccessOutlivingItsWrapperIsDetached) {
  auto *wrapper = new TSLCRealBuffer(Make({1, 2}));
  TSLCRealDataAccess access = wrapper->Data();
  TSLCRealDataAccess copy = access;
  EXPECT_EQ(copy.GetSize(), 2);
  delete wrapper;
  EXPECT_EQ(access.GetSize(), 0);
  EXPECT_EQ(access.Read(), nullptr);
  EXPECT_EQ(access.RealBuffer(), nullptr);
  access.Set(1); // over no items
  access.Resize(3);
  EXPECT_EQ(copy.GetSize(), 0);
}

} // namespace
