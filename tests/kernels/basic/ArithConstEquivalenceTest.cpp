// Real constant arithmetic of the 16-byte-register classes: statuses and shortcuts of the
// generic variant, results the IEEE double of the formula, and at most one unit in the
// last place from the generic, which rounds some results through extended precision.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic;
namespace gen = Slbasicdispatcher::generic;

using OutOfPlace = IppOpStatus (*)(const double *, double, double *, int);
using InPlace = IppOpStatus (*)(double, double *, int);

// Distance in units of the last place; NaN against NaN counts as equal.
std::uint64_t ulps(double a, double b) {
  if (std::isnan(a) && std::isnan(b))
    return 0;
  if (std::isnan(a) || std::isnan(b))
    return UINT64_MAX;
  auto ord = [&](double x) {
    const auto u = std::bit_cast<std::uint64_t>(x);
    return (u >> 63) ? (std::uint64_t{1} << 63) - (u & ~(std::uint64_t{1} << 63))
                     : (std::uint64_t{1} << 63) + u;
  };
  const std::uint64_t x = ord(a), y = ord(b);
  return x > y ? x - y : y - x;
}

struct Row {
  const char *name;
  OutOfPlace kernel = nullptr;
  OutOfPlace generic = nullptr;
  InPlace kernelI = nullptr;
  InPlace genericI = nullptr;
  double (*formula)(double x, double c); // IEEE double evaluation
  bool exactToGeneric;                   // bit-equal to the generic as well
};

double addF(double x, double c) { return c == 0.0 ? x : x + c; }
double subF(double x, double c) { return c == 0.0 ? x : x - c; }
double subRevF(double x, double c) { return c - x; }
double mulF(double x, double c) { return x * c; }
double divF(double x, double c) { return x * static_cast<double>(1.0L / c); }
double mulIF(double x, double c) { return c == 1.0 ? x : c == 0.0 ? 0.0 : x * c; }
double divIF(double x, double c) { return mulIF(x, static_cast<double>(1.0L / c)); }

const Row kRows[] = {
    {"AddC", kb::sse2::ippsAddC_64f, gen::ippsAddC_64f, nullptr, nullptr, addF, true},
    {"SubC", kb::sse2::ippsSubC_64f, gen::ippsSubC_64f, nullptr, nullptr, subF, true},
    {"SubCRev", kb::sse2::ippsSubCRev_64f, gen::ippsSubCRev_64f, nullptr, nullptr, subRevF, true},
    {"MulC", kb::sse2::ippsMulC_64f, gen::ippsMulC_64f, nullptr, nullptr, mulF, true},
    {"DivC", kb::sse2::ippsDivC_64f, gen::ippsDivC_64f, nullptr, nullptr, divF, false},
    {"AddC_I", nullptr, nullptr, kb::sse2::ippsAddC_64f_I, gen::ippsAddC_64f_I, addF, false},
    {"SubC_I", nullptr, nullptr, kb::sse2::ippsSubC_64f_I, gen::ippsSubC_64f_I, subF, false},
    {"MulC_I", nullptr, nullptr, kb::sse2::ippsMulC_64f_I, gen::ippsMulC_64f_I, mulIF, false},
    {"DivC_I", nullptr, nullptr, kb::sse2::ippsDivC_64f_I, gen::ippsDivC_64f_I, divIF, false},
};

std::vector<double> sources() {
  std::vector<double> v = {0.0,
                           -0.0,
                           1.0,
                           -1.0,
                           49.0,
                           INFINITY,
                           -INFINITY,
                           std::numeric_limits<double>::quiet_NaN(),
                           std::bit_cast<double>(std::uint64_t{0x7FF0000000000ABC}),
                           std::numeric_limits<double>::denorm_min(),
                           -4.9e-320,
                           1e308,
                           -1e308};
  for (double x : test_support::RandomVector<double>(300, 31, -1e6, 1e6))
    v.push_back(x);
  return v;
}

class ArithConst : public ::testing::TestWithParam<Row> {};

TEST_P(ArithConst, EqualsTheFormulaAndTheGenericAtEveryLengthAndAddress) {
  const Row &r = GetParam();
  const std::vector<double> src = sources();
  const double constants[] = {
      0.0, -0.0,   1.0,   -1.0,     49.0,
      3.7, 1e-310, 1e308, INFINITY, std::numeric_limits<double>::quiet_NaN()};
  for (double c : constants) {
    for (int len : {1, 2, 3, 4, 5, 7, 8, 9, 63, 64, 65, static_cast<int>(src.size())}) {
      const std::size_t n = static_cast<std::size_t>(len);
      std::vector<double> want(n);
      std::vector<double> wantGeneric(src.begin(), src.begin() + len);
      IppOpStatus genericStatus;
      if (r.generic)
        genericStatus = r.generic(src.data(), c, wantGeneric.data(), len);
      else
        genericStatus = r.genericI(c, wantGeneric.data(), len);
      for (std::size_t i = 0; i < n; ++i)
        want[i] = r.formula(src[i], c);
      for (std::size_t off : {0, 1, 3, 8}) {
        std::vector<unsigned char> s(n * 8 + 32), d(n * 8 + 32, 0xA5);
        std::memcpy(s.data() + off, src.data(), n * 8);
        if (!r.generic)
          std::memcpy(d.data() + off, src.data(), n * 8);
        IppOpStatus st;
        if (r.kernel)
          st = r.kernel(reinterpret_cast<const double *>(s.data() + off), c,
                        reinterpret_cast<double *>(d.data() + off), len);
        else
          st = r.kernelI(c, reinterpret_cast<double *>(d.data() + off), len);
        ASSERT_EQ(st, genericStatus) << r.name << " c " << c;
        for (std::size_t i = off + n * 8; i < d.size(); ++i)
          ASSERT_EQ(d[i], 0xA5);
        if (st != ippStsNoErr)
          continue;
        for (std::size_t i = 0; i < n; ++i) {
          double got;
          std::memcpy(&got, d.data() + off + i * 8, 8);
          ASSERT_LE(ulps(got, want[i]), 0u) << r.name << " x " << src[i] << " c " << c;
          if (r.exactToGeneric)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(got),
                      std::bit_cast<std::uint64_t>(wantGeneric[i]))
                << r.name << " x " << src[i] << " c " << c;
          else
            ASSERT_LE(ulps(got, wantGeneric[i]), 1u) << r.name << " x " << src[i] << " c " << c;
        }
      }
    }
  }
}

TEST_P(ArithConst, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  const Row &r = GetParam();
  double a[4] = {1, 2, 3, 4};
  double b[4] = {5, 5, 5, 5};
  for (int len : {4, 0, -1}) {
    for (double c : {2.0, 0.0}) {
      if (r.kernel) {
        for (int nul = 0; nul < 3; ++nul) {
          const double *s = nul == 1 ? nullptr : a;
          double *d = nul == 2 ? nullptr : b;
          if (nul == 0 && len > 0 && c != 0.0)
            continue;
          double g[4] = {5, 5, 5, 5};
          const IppOpStatus want = r.generic(s, c, nul == 2 ? nullptr : g, len);
          if (want == ippStsNoErr)
            continue;
          EXPECT_EQ(r.kernel(s, c, d, len), want) << r.name;
        }
      } else {
        double g[4] = {5, 5, 5, 5};
        const IppOpStatus want = r.genericI(c, len > 0 ? nullptr : g, len);
        EXPECT_EQ(r.kernelI(c, len > 0 ? nullptr : b, len), want) << r.name;
      }
    }
  }
  for (double x : b)
    EXPECT_EQ(x, 5.0) << r.name;
}

INSTANTIATE_TEST_SUITE_P(Real, ArithConst, ::testing::ValuesIn(kRows),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
