// The element kernels against the generic: statuses and destination bytes over the
// length classes (single elements, register pairs, blocks of four to sixteen), byte
// offsets, in-place calls and edge values (signed zeros, infinities, NaN payloads,
// subnormals, the integer extremes), with guard bytes around every destination. Bit
// operations, copies, comparisons and the square root give the generic's bits; the
// square gives the IEEE double product, within 1 ulp of the generic's extended one.
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "kernels/signal/SignalKernels.h"
#include "platform/cpu/FpuControl.h"
#include "tests/support/EquivalenceSupport.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace ks = kernels::signal::sse2;
namespace gen = Slbcbbasicdispatcher::generic;

// An operation as (source bytes, destination bytes, length); in-place operations copy the
// source into the destination first.
using Call = std::function<IppOpStatus(const void *, void *, int)>;

struct Row {
  std::string name;
  Call kernel, generic;
  std::size_t srcBytes, dstBytes; // per element
  bool doubles;                   // the values are doubles (else 32-bit integers)
  bool exactBits = true;          // else within `ulps` of the generic (NaNs of any payload alike)
  unsigned ulps = 0;
  bool inPlace = false; // the call reads and writes the destination
};

template <class T> T *as(void *p) { return static_cast<T *>(p); }
template <class T> const T *as(const void *p) { return static_cast<const T *>(p); }

template <class S, class D>
Row outOfPlace(std::string name, IppOpStatus (*k)(const S *, D *, int),
               IppOpStatus (*g)(const S *, D *, int), bool doubles) {
  return {std::move(name),
          [k](const void *s, void *d, int n) { return k(as<S>(s), as<D>(d), n); },
          [g](const void *s, void *d, int n) { return g(as<S>(s), as<D>(d), n); },
          sizeof(S),
          sizeof(D),
          doubles};
}

// An in-place operation f(dst, n) as a call: the source is copied over the destination
// (when both are given and the length is sensible), then f runs on the destination.
template <class T> Call inPlace(std::function<IppOpStatus(T *, int)> f) {
  return [f](const void *s, void *d, int n) {
    if (s && d && n > 0)
      std::memmove(d, s, sizeof(T) * static_cast<std::size_t>(n));
    return f(as<T>(d), n);
  };
}

template <class T>
Row inPlaceRow(std::string name, std::function<IppOpStatus(T *, int)> k,
               std::function<IppOpStatus(T *, int)> g, bool doubles) {
  Row r{std::move(name), inPlace<T>(k), inPlace<T>(g), sizeof(T), sizeof(T), doubles};
  r.inPlace = true;
  return r;
}

template <class T>
Row zipRow(std::string name, IppOpStatus (*k)(const T *, T *, int),
           IppOpStatus (*g)(const T *, T *, int)) {
  Row r = outOfPlace<T, T>(std::move(name), k, g, false);
  r.inPlace = true; // reads the destination too
  return r;
}

std::vector<Row> rows() {
  std::vector<Row> v;
  v.push_back(outOfPlace<short, short>("Copy_16s", ks::ippsCopy_16s, gen::ippsCopy_16s, false));
  v.push_back(
      outOfPlace<Ipp64fc, Ipp64fc>("Copy_64fc", ks::ippsCopy_64fc, gen::ippsCopy_64fc, true));
  v.push_back(outOfPlace<Ipp64fc, double>("Real", ks::ippsReal_64fc, gen::ippsReal_64fc, true));
  v.push_back(outOfPlace<Ipp64fc, double>("Imag", ks::ippsImag_64fc, gen::ippsImag_64fc, true));
  // RealToCplx: the source holds the real parts, then the imaginary parts; either may be
  // left out.
  for (int parts : {3, 1, 2}) {
    auto call = [parts](auto f) {
      return [f, parts](const void *s, void *d, int n) {
        const double *re = static_cast<const double *>(s);
        const double *im = re ? re + (n > 0 ? n : 0) : nullptr;
        return f((parts & 1) ? re : nullptr, (parts & 2) ? im : nullptr, as<Ipp64fc>(d), n);
      };
    };
    v.push_back({"RealToCplx" + std::to_string(parts), call(ks::ippsRealToCplx_64f),
                 call(gen::ippsRealToCplx_64f), 16, 16, true});
  }
  v.push_back(outOfPlace<double, double>("Abs", ks::ippsAbs_64f, gen::ippsAbs_64f, true));
  v.push_back(inPlaceRow<double>("Abs_I", ks::ippsAbs_64f_I, gen::ippsAbs_64f_I, true));
  v.push_back(outOfPlace<double, double>("Sqrt", ks::ippsSqrt_64f, gen::ippsSqrt_64f, true));
  v.push_back(inPlaceRow<double>("Sqrt_I", ks::ippsSqrt_64f_I, gen::ippsSqrt_64f_I, true));
  Row sqr = outOfPlace<double, double>("Sqr", ks::ippsSqr_64f, gen::ippsSqr_64f, true);
  sqr.exactBits = false;
  sqr.ulps = 1;
  v.push_back(sqr);
  Row sqrI = inPlaceRow<double>("Sqr_I", ks::ippsSqr_64f_I, gen::ippsSqr_64f_I, true);
  sqrI.exactBits = false;
  sqrI.ulps = 1;
  v.push_back(sqrI);
  for (double level : std::vector<double>{0.0, -0.0, 0.5, -1.0, 1e-310, INFINITY, -INFINITY, NAN}) {
    for (IppCmpOp op : {ippCmpGreater, ippCmpLess, ippCmpEq}) {
      const std::string tag = std::to_string(level) + "/" + std::to_string(int(op));
      v.push_back({"Threshold " + tag,
                   [=](const void *s, void *d, int n) {
                     return ks::ippsThreshold_64f(as<double>(s), as<double>(d), n, level, op);
                   },
                   [=](const void *s, void *d, int n) {
                     return gen::ippsThreshold_64f(as<double>(s), as<double>(d), n, level, op);
                   },
                   8, 8, true});
      v.push_back(inPlaceRow<double>(
          "Threshold_I " + tag,
          [=](double *d, int n) { return ks::ippsThreshold_64f_I(d, n, level, op); },
          [=](double *d, int n) { return gen::ippsThreshold_64f_I(d, n, level, op); }, true));
    }
  }
  for (int sf : {0, 1, -1, 15, 1022, 1023, 5000, -1008, -1009, INT_MIN}) {
    v.push_back({"Convert_16s64f " + std::to_string(sf),
                 [sf](const void *s, void *d, int n) {
                   return ks::ippsConvert_16s64f_Sfs(as<short>(s), as<double>(d), n, sf);
                 },
                 [sf](const void *s, void *d, int n) {
                   return gen::ippsConvert_16s64f_Sfs(as<short>(s), as<double>(d), n, sf);
                 },
                 2, 8, false});
  }
  // Sums and differences with a complex constant: the double results; which NaN operand
  // passes its payload on is the compiler's choice in the generic.
  for (Ipp64fc c :
       std::vector<Ipp64fc>{{1.5, -0.0}, {-0.0, 0.0}, {INFINITY, NAN}, {1e308, -1e-310}}) {
    const std::string tag = " " + std::to_string(c.re) + "," + std::to_string(c.im);
    Row add = inPlaceRow<Ipp64fc>(
        "AddC_64fc" + tag, [c](Ipp64fc *d, int n) { return ks::ippsAddC_64fc_I(c, d, n); },
        [c](Ipp64fc *d, int n) { return gen::ippsAddC_64fc_I(c, d, n); }, true);
    Row sub = inPlaceRow<Ipp64fc>(
        "SubC_64fc" + tag, [c](Ipp64fc *d, int n) { return ks::ippsSubC_64fc_I(c, d, n); },
        [c](Ipp64fc *d, int n) { return gen::ippsSubC_64fc_I(c, d, n); }, true);
    add.exactBits = sub.exactBits = false;
    v.push_back(add);
    v.push_back(sub);
  }
  // Normalization: the double product with the double reciprocal, within 2 ulp of the
  // generic's extended evaluation; refused divisors (zero, subnormal, NaN) as the generic.
  const std::vector<std::pair<double, double>> norms = {
      {0.0, 1.0}, {1.5, 3.0},    {-2.0, -7.0}, {-1e308, 0.25}, {0.5, 2.2250738585072014e-308},
      {0.0, 0.0}, {1.0, 1e-310}, {1.0, NAN},   {NAN, 2.0},     {INFINITY, 10.0}};
  for (auto [sub, div] : norms) {
    const std::string tag = " " + std::to_string(sub) + "/" + std::to_string(div);
    Row real{"Normalize" + tag,
             [=](const void *s, void *d, int n) {
               return ks::ippsNormalize_64f(as<double>(s), as<double>(d), n, sub, div);
             },
             [=](const void *s, void *d, int n) {
               return gen::ippsNormalize_64f(as<double>(s), as<double>(d), n, sub, div);
             },
             8,
             8,
             true};
    const Ipp64fc csub{sub, -sub};
    Row cplx{"Normalize_64fc" + tag,
             [=](const void *s, void *d, int n) {
               return ks::ippsNormalize_64fc(as<Ipp64fc>(s), as<Ipp64fc>(d), n, csub, div);
             },
             [=](const void *s, void *d, int n) {
               return gen::ippsNormalize_64fc(as<Ipp64fc>(s), as<Ipp64fc>(d), n, csub, div);
             },
             16,
             16,
             true};
    real.exactBits = cplx.exactBits = false;
    real.ulps = cplx.ulps = 2;
    v.push_back(real);
    v.push_back(cplx);
  }
  // Complex magnitude thresholds: the generic's bits, levels at and around the elements'
  // magnitudes (the edge values and 1.0 + tiny put magnitudes right at the level).
  for (double level : std::vector<double>{0.0, 1.0, 0.5, 1e-200, 1e200, INFINITY, NAN, -1.0}) {
    for (IppCmpOp op : {ippCmpGreater, ippCmpLess}) {
      const std::string tag = " " + std::to_string(level) + "/" + std::to_string(int(op));
      Row out{"Threshold_64fc" + tag,
              [=](const void *s, void *d, int n) {
                return ks::ippsThreshold_64fc(as<Ipp64fc>(s), as<Ipp64fc>(d), n, level, op);
              },
              [=](const void *s, void *d, int n) {
                return gen::ippsThreshold_64fc(as<Ipp64fc>(s), as<Ipp64fc>(d), n, level, op);
              },
              16,
              16,
              true};
      Row in = inPlaceRow<Ipp64fc>(
          "Threshold_64fc_I" + tag,
          [=](Ipp64fc *d, int n) { return ks::ippsThreshold_64fc_I(d, n, level, op); },
          [=](Ipp64fc *d, int n) { return gen::ippsThreshold_64fc_I(d, n, level, op); }, true);
      // Whether the generic quietens a signalling NaN it copies depends on how its
      // extended arithmetic is compiled; the kernel keeps the bits. NaNs compare alike.
      out.exactBits = in.exactBits = false;
      v.push_back(out);
      v.push_back(in);
    }
  }
  // Complex square roots: double steps within 4 ulp of the generic's extended ones; zero,
  // infinite, NaN and out-of-range parts exactly the generic's (compared as NaN-alike).
  Row csqrt =
      outOfPlace<Ipp64fc, Ipp64fc>("Sqrt_64fc", ks::ippsSqrt_64fc, gen::ippsSqrt_64fc, true);
  Row csqrtI = inPlaceRow<Ipp64fc>("Sqrt_64fc_I", ks::ippsSqrt_64fc_I, gen::ippsSqrt_64fc_I, true);
  csqrt.exactBits = csqrtI.exactBits = false;
  csqrt.ulps = csqrtI.ulps = 4;
  v.push_back(csqrt);
  v.push_back(csqrtI);
  v.push_back(zipRow<unsigned>("And", ks::ippsAnd_32u_I, gen::ippsAnd_32u_I));
  v.push_back(zipRow<unsigned>("Or", ks::ippsOr_32u_I, gen::ippsOr_32u_I));
  v.push_back(zipRow<unsigned>("Xor", ks::ippsXor_32u_I, gen::ippsXor_32u_I));
  for (unsigned c : {0u, 0xFFFFFFFFu, 0x80000000u, 0x00FF00FFu, 1u}) {
    const std::string tag = " " + std::to_string(c);
    using U = unsigned;
    v.push_back(inPlaceRow<U>(
        "AndC" + tag, [c](U *d, int n) { return ks::ippsAndC_32u_I(c, d, n); },
        [c](U *d, int n) { return gen::ippsAndC_32u_I(c, d, n); }, false));
    v.push_back(inPlaceRow<U>(
        "OrC" + tag, [c](U *d, int n) { return ks::ippsOrC_32u_I(c, d, n); },
        [c](U *d, int n) { return gen::ippsOrC_32u_I(c, d, n); }, false));
    v.push_back(inPlaceRow<U>(
        "XorC" + tag, [c](U *d, int n) { return ks::ippsXorC_32u_I(c, d, n); },
        [c](U *d, int n) { return gen::ippsXorC_32u_I(c, d, n); }, false));
  }
  for (int c : {0, 1, 5, 31, 32, 33, INT_MAX, -1, INT_MIN}) {
    const std::string tag = " " + std::to_string(c);
    v.push_back(inPlaceRow<int>(
        "LShiftC" + tag, [c](int *d, int n) { return ks::ippsLShiftC_32s_I(c, d, n); },
        [c](int *d, int n) { return gen::ippsLShiftC_32s_I(c, d, n); }, false));
    v.push_back(inPlaceRow<int>(
        "RShiftC" + tag, [c](int *d, int n) { return ks::ippsRShiftC_32s_I(c, d, n); },
        [c](int *d, int n) { return gen::ippsRShiftC_32s_I(c, d, n); }, false));
  }
  for (int val : {0, 1, -1, 7, -12345, INT_MAX, INT_MIN}) {
    for (int sf : {0, 1, 2, 3, 15, 30, 31, 32, 33, 100, -1, -2, -30, -31, -32, -40, -100}) {
      const std::string tag = " " + std::to_string(val) + "/" + std::to_string(sf);
      v.push_back(inPlaceRow<int>(
          "AddC" + tag, [=](int *d, int n) { return ks::ippsAddC_32s_ISfs(val, d, n, sf); },
          [=](int *d, int n) { return gen::ippsAddC_32s_ISfs(val, d, n, sf); }, false));
      v.push_back(inPlaceRow<int>(
          "SubC" + tag, [=](int *d, int n) { return ks::ippsSubC_32s_ISfs(val, d, n, sf); },
          [=](int *d, int n) { return gen::ippsSubC_32s_ISfs(val, d, n, sf); }, false));
    }
  }
  return v;
}

// Source bytes for n elements: edge values first, then seeded random ones.
std::vector<unsigned char> sourceBytes(const Row &r, std::size_t n) {
  const std::size_t bytes = r.srcBytes * n;
  std::vector<unsigned char> out(bytes);
  if (r.doubles) {
    std::vector<double> d = equivalence::EdgeDoubles();
    for (double x : test_support::RandomVector<double>(bytes / 8 + 1, 11, -1e3, 1e3))
      d.push_back(x);
    for (std::size_t i = 0; i * 8 < bytes; ++i) {
      // Rotate so every edge value meets every lane position over the lengths.
      const double x = d[(i * 7 + n) % d.size()];
      std::memcpy(out.data() + 8 * i, &x, std::min<std::size_t>(8, bytes - 8 * i));
    }
  } else {
    std::vector<int> d = {0, 1, -1, 2, 3, -2, -4, 5, -5, INT_MIN, INT_MAX, INT_MIN + 1, 1 << 30};
    for (int x : test_support::RandomVector<int>(bytes / 4 + 1, 5, INT_MIN, INT_MAX))
      d.push_back(x);
    for (std::size_t i = 0; i * 4 < bytes; ++i) {
      const int x = d[(i * 5 + n) % d.size()];
      std::memcpy(out.data() + 4 * i, &x, std::min<std::size_t>(4, bytes - 4 * i));
    }
  }
  return out;
}

// Runs the generic on aligned copies of the source and destination bytes.
IppOpStatus runGeneric(const Row &r, const std::vector<unsigned char> &src,
                       std::vector<unsigned char> &dst, int len, bool sameBuffer) {
  std::vector<double> s((src.size() + 7) / 8 + 1), d((dst.size() + 7) / 8 + 1);
  std::memcpy(s.data(), src.data(), src.size());
  std::memcpy(d.data(), dst.data(), dst.size());
  const IppOpStatus st = r.generic(sameBuffer ? d.data() : s.data(), d.data(), len);
  std::memcpy(dst.data(), d.data(), dst.size());
  return st;
}

void expectWithin(unsigned ulps, const unsigned char *got, const unsigned char *want, std::size_t n,
                  const std::string &where) {
  for (std::size_t i = 0; i < n; ++i) {
    double g, w;
    std::memcpy(&g, got + 8 * i, 8);
    std::memcpy(&w, want + 8 * i, 8);
    ASSERT_LE(equivalence::Ulps(g, w), ulps) << where << " element " << i;
  }
}

TEST(SignalElementKernels, SameStatusAndDestinationAsTheGeneric) {
  const std::vector<int> lengths = {1,  2,  3,  4,  5,  7,  8,  9,  15,
                                    16, 17, 31, 32, 33, 63, 64, 65, 129};
  for (const Row &r : rows()) {
    for (int len : lengths) {
      const std::size_t n = static_cast<std::size_t>(len);
      const std::vector<unsigned char> src = sourceBytes(r, n);
      for (std::size_t off : equivalence::Offsets()) {
        for (bool sameBuffer : {false, true}) {
          if (sameBuffer && r.srcBytes < r.dstBytes)
            continue;
          const std::string where = r.name + " len " + std::to_string(len) + " offset " +
                                    std::to_string(off) + (sameBuffer ? " in place" : "");
          // The destination starts as the source rotated by three bytes (so operations
          // that read it see values unlike the source), or is the source itself.
          const std::size_t size = std::max(r.srcBytes, r.dstBytes) * n;
          std::vector<unsigned char> initial(size, 0x5A);
          for (std::size_t i = 0; i < std::min(size, src.size()); ++i)
            initial[i] = src[(i + (sameBuffer ? 0 : 3)) % src.size()];
          equivalence::Guarded<unsigned char> s(src, (off * 5) % 16);
          equivalence::Guarded<unsigned char> d(initial, off);
          unsigned char *dst = d.get();
          const IppOpStatus got = r.kernel(sameBuffer ? dst : s.get(), dst, len);
          std::vector<unsigned char> want = initial;
          const IppOpStatus expected = runGeneric(r, src, want, len, sameBuffer);
          ASSERT_EQ(got, expected) << where;
          std::vector<unsigned char> out(size);
          for (std::size_t i = 0; i < size; ++i)
            out[i] = d.at(i);
          if (r.exactBits)
            ASSERT_EQ(out, want) << where;
          else
            expectWithin(r.ulps, out.data(), want.data(), size / 8, where);
          ASSERT_TRUE(d.GuardsIntact()) << where;
        }
      }
    }
  }
}

// The square is the IEEE double product of the element with itself.
TEST(SignalElementKernels, SquareIsTheDoubleProduct) {
  std::vector<double> x = equivalence::EdgeDoubles();
  for (double v : test_support::RandomVector<double>(200, 9, -1e160, 1e160))
    x.push_back(v);
  x.push_back(1.4916681462400413e-154); // the square is subnormal
  std::vector<double> y(x.size());
  ASSERT_EQ(ks::ippsSqr_64f(x.data(), y.data(), static_cast<int>(x.size())), ippStsNoErr);
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double want = x[i] * x[i];
    EXPECT_TRUE(equivalence::SameOrBothNaN(y[i], want)) << x[i];
  }
}

// Normalization is the double evaluation (x - vSub) * (1 / vDiv) wherever that stays in
// range, and the generic's value where the difference alone overflows.
TEST(SignalElementKernels, NormalizeIsTheDoubleFormula) {
  const auto x = test_support::RandomVector<double>(101, 17, -1e3, 1e3);
  std::vector<double> y(x.size());
  for (double div : {3.0, -0.1, 7e-300, 1e300}) {
    ASSERT_EQ(ks::ippsNormalize_64f(x.data(), y.data(), 101, 0.75, div), ippStsNoErr);
    for (std::size_t i = 0; i < x.size(); ++i)
      ASSERT_EQ(y[i], (x[i] - 0.75) * (1.0 / div)) << div << " " << i;
  }
  const double big[3] = {1e308, -1e308, 3.0};
  double out[3], want[3];
  ASSERT_EQ(ks::ippsNormalize_64f(big, out, 3, -1e308, 4.0), ippStsNoErr);
  ASSERT_EQ(gen::ippsNormalize_64f(big, want, 3, -1e308, 4.0), ippStsNoErr);
  EXPECT_EQ(out[0], 5e307);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(out[i], want[i]) << i;
}

// Special values of the complex root are the generic's bits.
TEST(SignalElementKernels, ComplexRootSpecialValuesAreTheGenerics) {
  const std::vector<double> &e = equivalence::EdgeDoubles();
  std::vector<Ipp64fc> x;
  for (double re : e)
    for (double im : e)
      x.push_back({re, im});
  std::vector<Ipp64fc> got(x.size()), want(x.size());
  const int n = static_cast<int>(x.size());
  ASSERT_EQ(ks::ippsSqrt_64fc(x.data(), got.data(), n), ippStsNoErr);
  ASSERT_EQ(gen::ippsSqrt_64fc(x.data(), want.data(), n), ippStsNoErr);
  for (std::size_t i = 0; i < x.size(); ++i) {
    const bool special = x[i].re == 0 || !std::isfinite(x[i].re) || !std::isfinite(x[i].im);
    if (!special)
      continue;
    EXPECT_TRUE(equivalence::SameOrBothNaN(got[i].re, want[i].re)) << x[i].re << "," << x[i].im;
    EXPECT_TRUE(equivalence::SameOrBothNaN(got[i].im, want[i].im)) << x[i].re << "," << x[i].im;
    EXPECT_EQ(std::signbit(got[i].re), std::signbit(want[i].re)) << x[i].re << "," << x[i].im;
    EXPECT_EQ(std::signbit(got[i].im), std::signbit(want[i].im)) << x[i].re << "," << x[i].im;
  }
}

TEST(SignalElementKernels, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  for (const Row &r : rows()) {
    for (int len : {3, 0, -1, INT_MIN}) {
      for (int nul = 0; nul < 3; ++nul) {
        // In place (source = destination), so what the in-place wrappers copy over is
        // the destination itself, and a written byte shows.
        std::vector<unsigned char> d(64, 0x77), g(64, 0x77);
        const IppOpStatus want =
            r.generic(nul == 1 ? nullptr : g.data(), nul == 2 ? nullptr : g.data(), len);
        if (want >= 0)
          continue;
        EXPECT_EQ(r.kernel(nul == 1 ? nullptr : d.data(), nul == 2 ? nullptr : d.data(), len), want)
            << r.name << " len " << len << " null " << nul;
        EXPECT_EQ(d, std::vector<unsigned char>(64, 0x77)) << r.name;
      }
    }
  }
  // Shift counts below zero are refused before anything is written.
  int v[2] = {3, -3};
  EXPECT_EQ(ks::ippsLShiftC_32s_I(-1, v, 2), ippStsShiftErr);
  EXPECT_EQ(ks::ippsRShiftC_32s_I(-1, v, 2), ippStsShiftErr);
  EXPECT_EQ(ks::ippsLShiftC_32s_I(32, nullptr, 2), ippStsNullPtrErr);
  EXPECT_EQ(v[0], 3);
  EXPECT_EQ(v[1], -3);
  // The pair builder tests the destination, then the length, then that a part is given.
  Ipp64fc c[2] = {{9, 9}, {9, 9}};
  EXPECT_EQ(ks::ippsRealToCplx_64f(nullptr, nullptr, c, 0), ippStsSizeErr);
  EXPECT_EQ(ks::ippsRealToCplx_64f(nullptr, nullptr, c, 2), ippStsNullPtrErr);
  EXPECT_EQ(c[0].re, 9.0);
}

TEST(SignalElementKernels, WorkedCases) {
  int a[4] = {0, 1, 2, 3};
  ASSERT_EQ(ks::ippsAddC_32s_ISfs(1, a, 4, 1), ippStsNoErr);
  EXPECT_EQ(std::vector<int>(a, a + 4), (std::vector<int>{0, 1, 2, 2}));
  int b[2] = {-2, -4};
  ASSERT_EQ(ks::ippsAddC_32s_ISfs(1, b, 2, 1), ippStsNoErr);
  EXPECT_EQ(std::vector<int>(b, b + 2), (std::vector<int>{0, -2}));
  int c[1] = {INT_MAX};
  ASSERT_EQ(ks::ippsSubC_32s_ISfs(INT_MIN, c, 1, 1), ippStsNoErr);
  EXPECT_EQ(c[0], INT_MAX);
  int d[3] = {5, 0, -5};
  ASSERT_EQ(ks::ippsAddC_32s_ISfs(0, d, 3, -31), ippStsNoErr);
  EXPECT_EQ(std::vector<int>(d, d + 3), (std::vector<int>{INT_MAX, 0, INT_MIN}));
  int e[2] = {-5, 5};
  ASSERT_EQ(ks::ippsRShiftC_32s_I(40, e, 2), ippStsNoErr);
  EXPECT_EQ(e[0], -1);
  EXPECT_EQ(e[1], 0);
  double r[3] = {-4.0, -0.0, 2.0};
  EXPECT_EQ(ks::ippsSqrt_64f_I(r, 3), ippStsSqrtNegArg);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(r[0]), ippDefaultNaNBits);
  EXPECT_TRUE(std::signbit(r[1]));
  EXPECT_EQ(r[2], std::sqrt(2.0));
  // An element the threshold leaves alone keeps its bits, a signalling NaN included.
  const double sNaN = std::bit_cast<double>(std::uint64_t{0x7FF0000000000ABC});
  Ipp64fc t[3] = {{sNaN, 1.0}, {3.0, 4.0}, {0.6, 0.8}};
  ASSERT_EQ(ks::ippsThreshold_64fc_I(t, 3, 1.0, ippCmpGreater), ippStsNoErr);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(t[0].re), 0x7FF0000000000ABCu);
  EXPECT_DOUBLE_EQ(t[1].re, 0.6);
  EXPECT_DOUBLE_EQ(t[1].im, 0.8);
  EXPECT_EQ(t[2].re, 0.6);
}

TEST(SignalElementKernels, LeaveTheMxcsrAndX87WordsAsSet) {
  const std::uint32_t before = cpu::GetMxcsr();
  const std::uint16_t x87Before = cpu::GetX87ControlWord();
  const std::uint32_t mxcsr = 0x1F80u | 0x2000u; // round down
  cpu::LoadMxcsr(mxcsr);
  cpu::LoadX87ControlWord(0x027F);
  std::vector<double> x = equivalence::EdgeDoubles(), y(x.size());
  const int n = static_cast<int>(x.size());
  ks::ippsSqrt_64f(x.data(), y.data(), n);
  ks::ippsSqr_64f(x.data(), y.data(), n);
  ks::ippsThreshold_64f(x.data(), y.data(), n, 0.5, ippCmpGreater);
  ks::ippsAbs_64f(x.data(), y.data(), n);
  std::vector<int> v(17, 123457);
  ks::ippsAddC_32s_ISfs(99, v.data(), 17, 3);
  const std::uint32_t after = cpu::GetMxcsr();
  const std::uint16_t x87After = cpu::GetX87ControlWord();
  cpu::LoadMxcsr(before);
  cpu::LoadX87ControlWord(x87Before);
  EXPECT_EQ(after & ~0x3Fu, mxcsr);
  EXPECT_EQ(x87After, 0x027F);
}

} // namespace
