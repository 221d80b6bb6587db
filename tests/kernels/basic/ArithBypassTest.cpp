// The constant-arithmetic blocks that keep long vectors out of the cache: on both sides of
// each length threshold, at the alignments that allow streaming stores and at one that
// does not, the results equal the generic's (or the same kernel's cached path) and the
// guard bytes stay untouched; streaming happens exactly above the threshold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic;
namespace gen = Slbasicdispatcher::generic;
using equivalence::Guarded;
using equivalence::SameOrBothNaN;

bool aligned16(const void *p) { return (reinterpret_cast<std::uintptr_t>(p) & 15) == 0; }

std::uint64_t streamed() { return kb::ReadBlockCounters().nonTemporal; }

// ---- real, out of place: blocks of four doubles, source and destination aligned -------

using RealOp = IppOpStatus (*)(const double *, double, double *, int);

struct RealRow {
  const char *name;
  RealOp kernel;
  RealOp generic; // bit-equal reference
  std::size_t blocks;
};

const RealRow kRealRows[] = {
    {"SubC_Sse2", kb::sse2::ippsSubC_64f, gen::ippsSubC_64f, 8192},
    {"SubC_Sse3", kb::sse3::ippsSubC_64f, gen::ippsSubC_64f, 16384},
    {"SubCRev_Sse2", kb::sse2::ippsSubCRev_64f, gen::ippsSubCRev_64f, 8192},
    {"SubCRev_Sse3", kb::sse3::ippsSubCRev_64f, gen::ippsSubCRev_64f, 16384},
};

class RealBypass : public ::testing::TestWithParam<RealRow> {};

TEST_P(RealBypass, StreamsOnlyAboveTheThresholdWithTheGenericResult) {
  const RealRow &r = GetParam();
  const int at = static_cast<int>(4 * r.blocks + 3); // the threshold's blocks, and a tail
  const int above = static_cast<int>(4 * r.blocks + 4);
  const std::vector<double> src =
      test_support::RandomVector<double>(static_cast<std::size_t>(above) + 1, 61, -1e6, 1e6);
  struct Case {
    int len;
    std::size_t srcOff, dstOff;
    bool streams;
  };
  for (const Case &c :
       {Case{at, 0, 0, false}, Case{above, 0, 0, true}, Case{above + 1, 0, 0, true},
        Case{above, 0, 8, false}, Case{above, 8, 0, false}, Case{above, 3, 3, false}}) {
    const std::size_t n = static_cast<std::size_t>(c.len);
    const std::vector<double> in(src.begin(), src.begin() + c.len);
    std::vector<double> want(n);
    ASSERT_EQ(r.generic(in.data(), 2.5, want.data(), c.len), ippStsNoErr);
    Guarded<double> s(in, c.srcOff), d(n, c.dstOff);
    ASSERT_EQ(aligned16(s.get()), c.srcOff == 0); // the buffers start on the grid
    ASSERT_EQ(aligned16(d.get()), c.dstOff == 0);
    const std::uint64_t before = streamed();
    ASSERT_EQ(r.kernel(s.get(), 2.5, d.get(), c.len), ippStsNoErr);
    EXPECT_EQ(streamed() - before, c.streams ? 1u : 0u) << r.name << " len " << c.len;
    for (std::size_t i = 0; i < n; ++i)
      ASSERT_TRUE(SameOrBothNaN(d.at(i), want[i])) << r.name << " len " << c.len << " i " << i;
    ASSERT_TRUE(s.GuardsIntact() && d.GuardsIntact());
  }
  // In place on the grid streams as well.
  Guarded<double> v(std::vector<double>(src.begin(), src.begin() + above), 0);
  std::vector<double> want(static_cast<std::size_t>(above));
  ASSERT_EQ(r.generic(src.data(), 2.5, want.data(), above), ippStsNoErr);
  const std::uint64_t before = streamed();
  ASSERT_EQ(r.kernel(v.get(), 2.5, v.get(), above), ippStsNoErr);
  EXPECT_EQ(streamed() - before, 1u);
  for (std::size_t i = 0; i < want.size(); ++i)
    ASSERT_TRUE(SameOrBothNaN(v.at(i), want[i]));
  ASSERT_TRUE(v.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Bypass, RealBypass, ::testing::ValuesIn(kRealRows),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- real, in place: a prefetch ahead, never a streaming store -------------------------

using InPlaceOp = IppOpStatus (*)(double, double *, int);

struct InPlaceRow {
  const char *name;
  InPlaceOp kernel;
  double (*formula)(double x, double c); // the IEEE double evaluation
  std::size_t elements;
};

double addF(double x, double c) { return x + c; }
double subF(double x, double c) { return x - c; }
double mulF(double x, double c) { return x * c; }
double divF(double x, double c) { return x * static_cast<double>(1.0L / c); } // the reciprocal

const InPlaceRow kInPlaceRows[] = {
    {"AddC_I_Sse2", kb::sse2::ippsAddC_64f_I, addF, 65536},
    {"AddC_I_Sse3", kb::sse3::ippsAddC_64f_I, addF, 131072},
    {"SubC_I_Sse2", kb::sse2::ippsSubC_64f_I, subF, 65536},
    {"SubC_I_Sse3", kb::sse3::ippsSubC_64f_I, subF, 131072},
    {"MulC_I_Sse2", kb::sse2::ippsMulC_64f_I, mulF, 65536},
    {"MulC_I_Sse3", kb::sse3::ippsMulC_64f_I, mulF, 131072},
    {"DivC_I_Sse2", kb::sse2::ippsDivC_64f_I, divF, 65536},
    {"DivC_I_Sse3", kb::sse3::ippsDivC_64f_I, divF, 131072},
};

class InPlaceBypass : public ::testing::TestWithParam<InPlaceRow> {};

TEST_P(InPlaceBypass, BothSidesOfThePrefetchThresholdGiveTheFormula) {
  const InPlaceRow &r = GetParam();
  const int at = static_cast<int>(r.elements + 3);
  const int above = static_cast<int>(r.elements + 4);
  const std::vector<double> src =
      test_support::RandomVector<double>(static_cast<std::size_t>(above), 62, -1e6, 1e6);
  for (int len : {at, above}) {
    for (std::size_t off : {0, 8, 3}) {
      const std::vector<double> in(src.begin(), src.begin() + len);
      Guarded<double> v(in, off);
      const std::uint64_t before = streamed();
      ASSERT_EQ(r.kernel(-3.25, v.get(), len), ippStsNoErr);
      EXPECT_EQ(streamed(), before); // a prefetch only
      for (std::size_t i = 0; i < in.size(); ++i)
        ASSERT_TRUE(SameOrBothNaN(v.at(i), r.formula(in[i], -3.25))) << r.name << " " << i;
      ASSERT_TRUE(v.GuardsIntact());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Bypass, InPlaceBypass, ::testing::ValuesIn(kInPlaceRows),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- complex: pairs of elements ---------------------------------------------------------

using ComplexOp = IppOpStatus (*)(const Ipp64fc *, Ipp64fc, Ipp64fc *, int);

struct ComplexRow {
  const char *name;
  ComplexOp kernel;
  ComplexOp generic; // bit-equal reference, or nullptr: the kernel's own cached path
  std::size_t pairs;
  bool sourceMustAlign;
};

const ComplexRow kComplexRows[] = {
    {"AddC_Sse2", kb::sse2::ippsAddC_64fc, gen::ippsAddC_64fc, 8192, false},
    {"AddC_Sse3", kb::sse3::ippsAddC_64fc, gen::ippsAddC_64fc, 16384, false},
    {"SubC_Sse2", kb::sse2::ippsSubC_64fc, gen::ippsSubC_64fc, 16384, true},
    {"SubC_Sse3", kb::sse3::ippsSubC_64fc, gen::ippsSubC_64fc, 32768, true},
    {"SubCRev_Sse2", kb::sse2::ippsSubCRev_64fc, gen::ippsSubCRev_64fc, 16384, true},
    {"SubCRev_Sse3", kb::sse3::ippsSubCRev_64fc, gen::ippsSubCRev_64fc, 32768, true},
    {"MulC_Sse2", kb::sse2::ippsMulC_64fc, nullptr, 16384, true},
    {"DivC_Sse2", kb::sse2::ippsDivC_64fc, nullptr, 16384, true},
    {"DivC_Sse3", kb::sse3::ippsDivC_64fc, nullptr, 32768, true},
};

class ComplexBypass : public ::testing::TestWithParam<ComplexRow> {};

TEST_P(ComplexBypass, StreamsOnlyAboveTheThresholdWithUnchangedResults) {
  const ComplexRow &r = GetParam();
  const int at = static_cast<int>(2 * r.pairs + 1);
  const int above = static_cast<int>(2 * r.pairs + 2);
  const std::vector<double> parts =
      test_support::RandomVector<double>(2 * static_cast<std::size_t>(above), 63, -1e3, 1e3);
  std::vector<Ipp64fc> src(static_cast<std::size_t>(above));
  for (std::size_t i = 0; i < src.size(); ++i)
    src[i] = {parts[2 * i], parts[2 * i + 1]};
  const Ipp64fc c{1.5, -0.75};
  struct Case {
    int len;
    std::size_t srcOff, dstOff;
    bool streams;
  };
  for (const Case &k :
       {Case{at, 0, 0, false}, Case{above, 0, 0, true}, Case{above, 8, 0, !r.sourceMustAlign},
        Case{above, 0, 8, false}, Case{above, 0, 1, false}}) {
    const std::size_t n = static_cast<std::size_t>(k.len);
    const std::vector<Ipp64fc> in(src.begin(), src.begin() + k.len);
    // The reference: the generic, or the kernel on a destination off the grid.
    Guarded<Ipp64fc> ref(n, 8);
    if (r.generic)
      ASSERT_EQ(r.generic(in.data(), c, ref.get(), k.len), ippStsNoErr);
    else
      ASSERT_EQ(r.kernel(in.data(), c, ref.get(), k.len), ippStsNoErr);
    Guarded<Ipp64fc> s(in, k.srcOff), d(n, k.dstOff);
    ASSERT_EQ(aligned16(s.get()), k.srcOff == 0);
    ASSERT_EQ(aligned16(d.get()), k.dstOff == 0);
    const std::uint64_t before = streamed();
    ASSERT_EQ(r.kernel(s.get(), c, d.get(), k.len), ippStsNoErr);
    EXPECT_EQ(streamed() - before, k.streams ? 1u : 0u)
        << r.name << " len " << k.len << " offsets " << k.srcOff << "," << k.dstOff;
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_TRUE(SameOrBothNaN(d.at(i).re, ref.at(i).re)) << r.name << " " << i;
      ASSERT_TRUE(SameOrBothNaN(d.at(i).im, ref.at(i).im)) << r.name << " " << i;
    }
    ASSERT_TRUE(s.GuardsIntact() && d.GuardsIntact());
  }
}

INSTANTIATE_TEST_SUITE_P(Bypass, ComplexBypass, ::testing::ValuesIn(kComplexRows),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- sums of two vectors, and the in-place complex product of codes 16-17 ---------------

struct SumRow {
  const char *name;
  bool complex;
  IppOpStatus (*real)(const double *, const double *, double *, int);
  IppOpStatus (*cplx)(const Ipp64fc *, const Ipp64fc *, Ipp64fc *, int);
  std::size_t blocks; // of four doubles
};

const SumRow kSumRows[] = {
    {"Add_Sse2", false, kb::sse2::ippsAdd_64f, nullptr, 5461},
    {"Add_Sse3", false, kb::sse3::ippsAdd_64f, nullptr, 10922},
    {"Addc_Sse2", true, nullptr, kb::sse2::ippsAdd_64fc, 5461},
    {"Addc_Sse3", true, nullptr, kb::sse3::ippsAdd_64fc, 10922},
};

class SumBypass : public ::testing::TestWithParam<SumRow> {};

TEST_P(SumBypass, StreamsOnlyAboveTheThresholdOnTheEightByteGrid) {
  const SumRow &r = GetParam();
  const std::size_t atDoubles = 4 * r.blocks + 3, aboveDoubles = 4 * r.blocks + 4;
  const std::vector<double> a = test_support::RandomVector<double>(aboveDoubles + 2, 64, -1e6, 1e6);
  const std::vector<double> b = test_support::RandomVector<double>(aboveDoubles + 2, 65, -1e6, 1e6);
  struct Case {
    std::size_t doubles, dstOff;
    bool streams;
  };
  std::vector<Case> cases = {
      {aboveDoubles, 0, true}, {aboveDoubles, 8, true}, {aboveDoubles, 4, false}};
  if (!r.complex) // a complex length is an even number of doubles
    cases.push_back({atDoubles, 0, false});
  else
    cases.push_back({4 * r.blocks + 2, 0, false});
  for (const Case &c : cases) {
    Guarded<double> d(c.doubles, c.dstOff);
    const std::uint64_t before = streamed();
    if (r.complex)
      ASSERT_EQ(r.cplx(reinterpret_cast<const Ipp64fc *>(a.data()),
                       reinterpret_cast<const Ipp64fc *>(b.data()),
                       reinterpret_cast<Ipp64fc *>(d.get()), static_cast<int>(c.doubles / 2)),
                ippStsNoErr);
    else
      ASSERT_EQ(r.real(a.data(), b.data(), d.get(), static_cast<int>(c.doubles)), ippStsNoErr);
    EXPECT_EQ(streamed() - before, c.streams ? 1u : 0u) << r.name << " " << c.doubles;
    for (std::size_t i = 0; i < c.doubles; ++i)
      ASSERT_TRUE(SameOrBothNaN(d.at(i), a[i] + b[i])) << r.name << " " << i;
    ASSERT_TRUE(d.GuardsIntact());
  }
}

INSTANTIATE_TEST_SUITE_P(Bypass, SumBypass, ::testing::ValuesIn(kSumRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ProductBypass, CodesSixteenStreamAboveTheirPairsWithTheCachedResult) {
  const std::size_t pairs = 16384;
  const std::vector<double> parts =
      test_support::RandomVector<double>(4 * (2 * pairs + 2), 66, -1e3, 1e3);
  auto complexAt = [&](std::size_t from, std::size_t n) {
    std::vector<Ipp64fc> v(n);
    for (std::size_t i = 0; i < n; ++i)
      v[i] = {parts[from + 2 * i], parts[from + 2 * i + 1]};
    return v;
  };
  struct Case {
    std::size_t len, vecOff, srcOff;
    bool streams;
  };
  for (const Case &c : {Case{2 * pairs + 1, 0, 0, false}, Case{2 * pairs + 2, 0, 0, true},
                        Case{2 * pairs + 2, 0, 8, true}, Case{2 * pairs + 2, 8, 0, false},
                        Case{2 * pairs + 2, 0, 4, false}}) {
    const std::vector<Ipp64fc> vec = complexAt(0, c.len), src = complexAt(2 * c.len, c.len);
    // The reference: the codes 6-9 product, which never streams, off the grid.
    Guarded<Ipp64fc> ref(vec, 8);
    ASSERT_EQ(kb::sse2::ippsMul_64fc_I(src.data(), ref.get(), static_cast<int>(c.len)),
              ippStsNoErr);
    Guarded<Ipp64fc> v(vec, c.vecOff), s(src, c.srcOff);
    const std::uint64_t before = streamed();
    ASSERT_EQ(kb::sse3::ippsMul_64fc_I(s.get(), v.get(), static_cast<int>(c.len)), ippStsNoErr);
    EXPECT_EQ(streamed() - before, c.streams ? 1u : 0u)
        << c.len << " offsets " << c.vecOff << "," << c.srcOff;
    for (std::size_t i = 0; i < c.len; ++i) {
      ASSERT_TRUE(SameOrBothNaN(v.at(i).re, ref.at(i).re)) << i;
      ASSERT_TRUE(SameOrBothNaN(v.at(i).im, ref.at(i).im)) << i;
    }
    ASSERT_TRUE(v.GuardsIntact() && s.GuardsIntact());
  }
}

} // namespace
