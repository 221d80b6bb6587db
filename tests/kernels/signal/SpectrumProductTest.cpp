// The spectrum products of the convolution and correlation transform paths, at every
// length parity: which elements are real bins and which form pairs, each step's
// precision per class, and the argument tests.
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/signal/SignalCorrConv.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace ks = kernels::signal;

using Product = IppOpStatus (*)(const double *, double *, int);

struct ProductRow {
  std::string name;
  Product fn;
  bool pack;     // Pack layout with the conjugate, else Perm layout
  bool extended; // steps in extended precision, else in double
};

// The product written out from the layout: real bins multiply, pairs are complex.
template <class A>
std::vector<double> reference(const std::vector<double> &s, std::vector<double> d, bool pack) {
  const long long n = static_cast<long long>(d.size());
  auto real = [&](long long i) { d[i] = static_cast<double>(static_cast<A>(d[i]) * s[i]); };
  real(0);
  long long first = 1;
  if (n % 2 == 0) {
    if (pack) {
      real(n - 1);
    } else {
      real(1);
      first = 2;
    }
  }
  for (long long i = first; i + 1 < n; i += 2) {
    const A dr = d[i], di = d[i + 1], sr = s[i], si = s[i + 1];
    if (pack) {
      d[i] = static_cast<double>(sr * dr + si * di);
      d[i + 1] = static_cast<double>(si * dr - sr * di);
    } else {
      d[i] = static_cast<double>(sr * dr - si * di);
      d[i + 1] = static_cast<double>(sr * di + si * dr);
    }
  }
  return d;
}

class SpectrumProduct : public ::testing::TestWithParam<ProductRow> {};

TEST_P(SpectrumProduct, EachLayoutElementAsItsKindAndPrecision) {
  const ProductRow &r = GetParam();
  for (int len : {1, 2, 3, 4, 5, 6, 7, 16, 17}) {
    const auto s =
        test_support::RandomVector<double>(static_cast<std::size_t>(len), 3 + len, -1e3, 1e3);
    const auto d0 =
        test_support::RandomVector<double>(static_cast<std::size_t>(len), 50 + len, -1e3, 1e3);
    std::vector<double> d = d0;
    ASSERT_EQ(r.fn(s.data(), d.data(), len), ippStsNoErr);
    const std::vector<double> want =
        r.extended ? reference<long double>(s, d0, r.pack) : reference<double>(s, d0, r.pack);
    for (int i = 0; i < len; ++i)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(d[i]), std::bit_cast<std::uint64_t>(want[i]))
          << r.name << " len " << len << " element " << i;
  }
}

TEST_P(SpectrumProduct, BadArgumentsWriteNothing) {
  const ProductRow &r = GetParam();
  const double s[2] = {2, 3};
  double d[2] = {5, 7};
  EXPECT_EQ(r.fn(nullptr, d, 2), ippStsNullPtrErr);
  EXPECT_EQ(r.fn(s, nullptr, 2), ippStsNullPtrErr);
  EXPECT_EQ(r.fn(nullptr, d, 0), ippStsNullPtrErr);
  EXPECT_EQ(r.fn(s, d, 0), ippStsSizeErr);
  EXPECT_EQ(r.fn(s, d, -1), ippStsSizeErr);
  EXPECT_EQ(d[0], 5);
  EXPECT_EQ(d[1], 7);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, SpectrumProduct,
    ::testing::Values(ProductRow{"Perm_Sse2", ks::ippsMulPerm_64f_I_Sse2, false, false},
                      ProductRow{"Perm_Sse", ks::ippsMulPerm_64f_I_Sse, false, true},
                      ProductRow{"PackConj_Sse2", ks::ippsMulPackConj_64f_I_Sse2, true, false},
                      ProductRow{"PackConj_Sse", ks::ippsMulPackConj_64f_I_Sse, true, true}),
    [](const auto &info) { return info.param.name; });

// A spectrum times its own conjugate is its squared magnitude: imaginary parts exactly 0.
TEST(SpectrumProductPack, OwnConjugateLeavesNoImaginaryPart) {
  for (Product fn : {ks::ippsMulPackConj_64f_I_Sse2, ks::ippsMulPackConj_64f_I_Sse}) {
    for (int len : {3, 8, 9}) {
      auto d = test_support::RandomVector<double>(static_cast<std::size_t>(len), 9, -10, 10);
      ASSERT_EQ(fn(d.data(), d.data(), len), ippStsNoErr);
      for (int i = 2; i < len - (len % 2 == 0 ? 1 : 0); i += 2)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(d[i]), 0u) << "len " << len << " element " << i;
    }
  }
}

} // namespace
