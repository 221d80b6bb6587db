// The steps of the real convolution and of the real and complex correlations, one body
// for the generic variants and the processor classes, parameterised by a level.
//
// Short inputs are summed directly; long ones go through the level's transforms (real
// ones for doubles, complex ones for Ipp64fc). A transform path takes its record, work
// area and scratch before it writes anything, so every failure leaves the destination as
// it was and releases what it took.
//
// A level L gives:
//   convOutputs, convTaps, convRatio, autoCorrDirectLags, autoCorrDirectLagsComplex: thresholds
//     (direct convolution below convOutputs results or convTaps kernel samples, one
//     transform while the signal is shorter than convRatio · kernel; direct
//     autocorrelation below the numbers of lags);
//   copy(src, dst, n), zero(dst, n): n elements of double or Ipp64fc, nothing for n <= 0;
//   alloc(bytes), release(p): scratch blocks;
//   RealFft, ComplexFft: the transforms (Elem, Spec, init, bufSize, release, forward,
//     inverse, mulConj; RealFft also forwardPerm, inversePerm, mulPerm);
//   convPiece(a, g, b, lb, d): adds the convolution of g signal samples into d;
//   autoCorrLags(x, srcLen, dst, n), crossLag(x1, len1, x2, len2, k): the direct sums;
//   crossCorrTakesTransform(lags, len1, len2): the cross-correlation's path;
//   scaleLags(dst, n, f): the normalisation by a factor.
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "kernels/common/IppTypes.h"

namespace kernels::corrconv {

using ext = long double;

// The smallest order of at least minOrder whose power of two reaches need. Orders past
// 30 are left for the transform set-up to refuse.
inline int orderFor(long long need, int minOrder) {
  int o = minOrder;
  while (o < 62 && (1LL << o) < need)
    ++o;
  return o;
}

// ---- Spectrum products, the arithmetic in A ---------------------------------------------

// Perm layout (R0, then R(N/2) when N is even, then pairs): pSrcDst := pSrc · pSrcDst.
template <class A> void mulPermSteps(const double *pSrc, double *pSrcDst, long long n) {
  pSrcDst[0] = static_cast<double>(static_cast<A>(pSrcDst[0]) * pSrc[0]);
  long long i = 1;
  if (n % 2 == 0) {
    pSrcDst[1] = static_cast<double>(static_cast<A>(pSrcDst[1]) * pSrc[1]);
    i = 2;
  }
  for (; i + 1 < n; i += 2) {
    const A re = pSrcDst[i], im = pSrcDst[i + 1], sr = pSrc[i], si = pSrc[i + 1];
    pSrcDst[i] = static_cast<double>(sr * re - si * im);
    pSrcDst[i + 1] = static_cast<double>(sr * im + si * re);
  }
}

// Pack layout (R0, pairs, R(N/2)): pSrcDst := pSrc · conj(pSrcDst).
template <class A> void mulPackConjSteps(const double *pSrc, double *pSrcDst, long long n) {
  pSrcDst[0] = static_cast<double>(static_cast<A>(pSrcDst[0]) * pSrc[0]);
  if (n % 2 == 0)
    pSrcDst[n - 1] = static_cast<double>(static_cast<A>(pSrcDst[n - 1]) * pSrc[n - 1]);
  for (long long i = 1; i + 1 < n; i += 2) {
    const A dr = pSrcDst[i], di = pSrcDst[i + 1], sr = pSrc[i], si = pSrc[i + 1];
    pSrcDst[i] = static_cast<double>(sr * dr + si * di);
    pSrcDst[i + 1] = static_cast<double>(si * dr - sr * di);
  }
}

// Complex spectra: pSrcDst := pSrc · conj(pSrcDst), element by element, in extended
// precision.
inline void mulConjExtended(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, long long n) {
  for (long long i = 0; i < n; ++i) {
    const ext sr = pSrc[i].re, si = pSrc[i].im, dr = pSrcDst[i].re, di = pSrcDst[i].im;
    pSrcDst[i] = {static_cast<double>(sr * dr + si * di), static_cast<double>(si * dr - sr * di)};
  }
}

// ---- Direct sums in extended precision ------------------------------------------------

// Adds the convolution of a (la samples) and b (lb) into d, each sum stored as a double
// after every product.
inline void convPieceExtended(const double *a, int la, const double *b, int lb, double *d) {
  for (int i = 0; i < lb; ++i) {
    const ext bi = b[i];
    double *di = d + i;
    for (int j = 0; j < la; ++j)
      di[j] = static_cast<double>(di[j] + a[j] * bi);
  }
}

// Lag k of the cross-correlation over the overlap of the two inputs, summed in extended
// precision and rounded once: x1[i]·x2[i + k] for doubles, conj(x1[i])·x2[i + k] for
// complex values.
template <class T> T crossLagExtended(const T *x1, int len1, const T *x2, int len2, long long k) {
  const long long from = std::max(0LL, -k);
  const long long to = std::min<long long>(len1, len2 - k);
  ext re = 0, im = 0;
  for (long long i = from; i < to; ++i) {
    if constexpr (std::is_same_v<T, double>) {
      re += static_cast<ext>(x1[i]) * x2[i + k];
    } else {
      const Ipp64fc a = x1[i], b = x2[i + k];
      re = (re + static_cast<ext>(a.re) * b.re) + static_cast<ext>(a.im) * b.im;
      im = (im + static_cast<ext>(a.re) * b.im) - static_cast<ext>(a.im) * b.re;
    }
  }
  if constexpr (std::is_same_v<T, double>)
    return static_cast<double>(re);
  else
    return Ipp64fc{static_cast<double>(re), static_cast<double>(im)};
}

// ---- Transform scratch ----------------------------------------------------------------

// One transform record (inverse scaled by 1/N), its work area and a scratch block of
// `arrays` arrays of N elements, released together.
template <class L, class Fft> class FftScratch {
public:
  using Elem = typename Fft::Elem;

  FftScratch() = default;
  FftScratch(const FftScratch &) = delete;
  FftScratch &operator=(const FftScratch &) = delete;
  ~FftScratch() {
    L::release(data_);
    L::release(work_);
    if (spec_)
      Fft::release(spec_);
  }

  // A record of the smallest order of at least minOrder with 2^order >= need, and
  // scratch for `arrays` arrays of that length.
  IppOpStatus init(long long need, int minOrder, int arrays) {
    const int order = orderFor(need, minOrder);
    n_ = 1LL << std::min(order, 62);
    if (IppOpStatus st = Fft::init(&spec_, order); st != ippStsNoErr) {
      spec_ = nullptr;
      return st;
    }
    int workBytes = 0;
    if (IppOpStatus st = Fft::bufSize(spec_, &workBytes); st != ippStsNoErr)
      return st;
    // With the work area given, the transforms themselves never allocate.
    if (workBytes > 0 && !(work_ = L::alloc(workBytes)))
      return ippStsMemAllocErr;
    // The set-up refused orders above 30, so the byte count cannot wrap.
    if (!(data_ =
              static_cast<Elem *>(L::alloc(arrays * n_ * static_cast<long long>(sizeof(Elem))))))
      return ippStsMemAllocErr;
    return ippStsNoErr;
  }

  // Array i of the scratch, holding `before` zeros, then src, then zeros up to n().
  Elem *place(int i, long long before, const Elem *src, long long len) const {
    Elem *a = data_ + i * n_;
    L::zero(a, before);
    L::copy(src, a + before, len);
    L::zero(a + before + len, n_ - before - len);
    return a;
  }

  long long n() const { return n_; }
  const typename Fft::Spec *spec() const { return spec_; }
  std::uint8_t *work() const { return static_cast<std::uint8_t *>(work_); }

private:
  typename Fft::Spec *spec_ = nullptr;
  void *work_ = nullptr;
  Elem *data_ = nullptr;
  long long n_ = 0;
};

// ---- Convolution ----------------------------------------------------------------------

inline constexpr int kConvPiece = 4096;

// a has la >= lb samples; d receives la + lb - 1 values. The signal goes in pieces of
// 4096 samples, so one pass of the kernel touches at most 4096 + lb - 1 results; each
// piece's results are zeroed just before it adds into them.
template <class L> void convDirect(const double *a, int la, const double *b, int lb, double *d) {
  L::zero(d, lb - 1);
  for (long long p = 0; p < la; p += kConvPiece) {
    const int g = static_cast<int>(std::min<long long>(kConvPiece, la - p));
    L::zero(d + p + lb - 1, g);
    L::convPiece(a + p, g, b, lb, d + p);
  }
}

// The whole convolution through one transform of N >= la + lb - 1 points.
template <class L>
IppOpStatus convOneTransform(const double *a, int la, const double *b, int lb, double *pDst) {
  using F = typename L::RealFft;
  const long long outLen = static_cast<long long>(la) + lb - 1;
  FftScratch<L, F> s;
  if (IppOpStatus st = s.init(outLen, 2, 2); st != ippStsNoErr)
    return st;
  double *x = s.place(0, 0, a, la);
  double *y = s.place(1, 0, b, lb);
  if (IppOpStatus st = F::forwardPerm(x, s.spec(), s.work()); st < 0)
    return st;
  if (IppOpStatus st = F::forwardPerm(y, s.spec(), s.work()); st < 0)
    return st;
  F::mulPerm(x, y, s.n());
  if (IppOpStatus st = F::inversePerm(y, s.spec(), s.work()); st < 0)
    return st;
  L::copy(y, pDst, outLen);
  return ippStsNoErr;
}

// Overlap-save with blocks of M >= 4·lb points: the kernel spectrum is made once, each
// block yields M - lb + 1 new results.
template <class L>
IppOpStatus convBlocks(const double *a, int la, const double *b, int lb, double *pDst) {
  using F = typename L::RealFft;
  const long long outLen = static_cast<long long>(la) + lb - 1;
  FftScratch<L, F> s;
  // Order d + 1, d the smallest order of at least 2 with 2^d >= 2·lb.
  if (IppOpStatus st = s.init(4LL * lb, 3, 2); st != ippStsNoErr)
    return st;
  const long long m = s.n();
  const long long step = m - lb + 1;
  double *kernel = s.place(0, 0, b, lb);
  if (IppOpStatus st = F::forwardPerm(kernel, s.spec(), s.work()); st < 0)
    return st;
  for (long long pos = 0; pos < outLen; pos += step) {
    const long long back = pos == 0 ? 0 : lb - 1; // later blocks start lb - 1 samples back
    const long long count = std::min(la - pos + back, step + back);
    double *block = s.place(1, 0, a + pos - back, count);
    if (IppOpStatus st = F::forwardPerm(block, s.spec(), s.work()); st < 0)
      return st;
    F::mulPerm(kernel, block, m);
    if (IppOpStatus st = F::inversePerm(block, s.spec(), s.work()); st < 0)
      return st;
    L::copy(block + back, pDst + pos, std::min(step, outLen - pos));
  }
  return ippStsNoErr;
}

template <class L>
IppOpStatus conv(const double *pSrc1, int len1, const double *pSrc2, int len2, double *pDst) {
  if (!pSrc1 || !pSrc2 || !pDst)
    return ippStsNullPtrErr;
  if (len1 < 1 || len2 < 1)
    return ippStsSizeErr;
  // The longer input is the signal; with equal lengths the first one.
  const double *a = len1 >= len2 ? pSrc1 : pSrc2;
  const double *b = len1 >= len2 ? pSrc2 : pSrc1;
  const int la = std::max(len1, len2);
  const int lb = std::min(len1, len2);
  const long long outLen = static_cast<long long>(la) + lb - 1;
  if (outLen < L::convOutputs || lb < L::convTaps) {
    convDirect<L>(a, la, b, lb, pDst);
    return ippStsNoErr;
  }
  if (la < static_cast<long long>(L::convRatio) * lb)
    return convOneTransform<L>(a, la, b, lb, pDst);
  return convBlocks<L>(a, la, b, lb, pDst);
}

// ---- Correlation ----------------------------------------------------------------------

template <class L, class T>
using CorrFft =
    std::conditional_t<std::is_same_v<T, double>, typename L::RealFft, typename L::ComplexFft>;

// Lags 0 .. n-1 through one transform of N >= 2·srcLen points (no circular overlap).
template <class L, class T> IppOpStatus autoCorrTransform(const T *x, int srcLen, T *pDst, int n) {
  using F = CorrFft<L, T>;
  FftScratch<L, F> s;
  if (IppOpStatus st = s.init(2LL * srcLen, 2, 1); st != ippStsNoErr)
    return st;
  T *data = s.place(0, 0, x, srcLen);
  if (IppOpStatus st = F::forward(data, s.spec(), s.work()); st < 0)
    return st;
  F::mulConj(data, data, s.n());
  if (IppOpStatus st = F::inverse(data, data, s.spec(), s.work()); st < 0)
    return st;
  L::copy(data, pDst, n);
  return ippStsNoErr;
}

enum class Norm { None, A, B };

inline void divide(double &v, double d) { v /= d; }
inline void divide(Ipp64fc &v, double d) { v = {v.re / d, v.im / d}; }

template <class L, class T>
IppOpStatus autoCorr(const T *pSrc, int srcLen, T *pDst, int dstLen, Norm norm) {
  constexpr int directLags =
      std::is_same_v<T, double> ? L::autoCorrDirectLags : L::autoCorrDirectLagsComplex;
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (srcLen < 1 || dstLen < 1)
    return ippStsSizeErr;
  const int n = std::min(srcLen, dstLen);
  if (n < directLags) {
    L::autoCorrLags(pSrc, srcLen, pDst, n);
  } else if (IppOpStatus st = autoCorrTransform<L>(pSrc, srcLen, pDst, n); st != ippStsNoErr) {
    return st;
  }
  L::zero(pDst + n, dstLen - n);
  if (norm == Norm::A) {
    // The factor is the double nearest 1/srcLen; a factor rounded to single precision
    // would change every lag in its eighth digit.
    const double f = static_cast<double>(1.0L / srcLen);
    if (f != 1.0)
      L::scaleLags(pDst, n, f);
  } else if (norm == Norm::B) {
    // Divided in place: no divisor vector, so nothing can fail after the lags are written.
    for (int k = 0; k < n; ++k)
      divide(pDst[k], static_cast<double>(srcLen - k));
  }
  return ippStsNoErr;
}

// Lags lowLag .. lowLag + dstLen - 1; only -(len1-1) .. len2-1 can be nonzero. The
// transform path takes and computes everything before its first write, so a failure
// leaves even the zero lags unwritten.
template <class L, class T>
IppOpStatus crossCorr(const T *pSrc1, int len1, const T *pSrc2, int len2, T *pDst, int dstLen,
                      int lowLag) {
  using F = CorrFft<L, T>;
  if (!pSrc1 || !pSrc2 || !pDst)
    return ippStsNullPtrErr;
  if (len1 < 1 || len2 < 1 || dstLen < 1)
    return ippStsSizeErr;

  const long long firstLag = std::max<long long>(lowLag, -(static_cast<long long>(len1) - 1));
  const long long endLag = std::min<long long>(static_cast<long long>(lowLag) + dstLen, len2);
  const long long lead = std::min<long long>(firstLag - lowLag, dstLen);
  const long long lags = std::max(0LL, endLag - firstLag);

  T *mid = pDst + lead;
  if (lags > 0 && L::crossCorrTakesTransform(lags, len1, len2)) {
    const long long full = static_cast<long long>(len1) + len2 - 1;
    FftScratch<L, F> s;
    if (IppOpStatus st = s.init(full, 2, 2); st != ippStsNoErr)
      return st;
    T *a1 = s.place(0, 0, pSrc1, len1);
    T *a2 = s.place(1, len1 - 1, pSrc2, len2);
    if (IppOpStatus st = F::forward(a1, s.spec(), s.work()); st < 0)
      return st;
    if (IppOpStatus st = F::forward(a2, s.spec(), s.work()); st < 0)
      return st;
    F::mulConj(a2, a1, s.n());
    if (IppOpStatus st = F::inverse(a1, a2, s.spec(), s.work()); st < 0)
      return st;
    // a2[t] is the lag t - (len1 - 1).
    L::copy(a2 + firstLag + len1 - 1, mid, lags);
  } else {
    for (long long j = 0; j < lags; ++j)
      mid[j] = L::crossLag(pSrc1, len1, pSrc2, len2, firstLag + j);
  }
  L::zero(pDst, lead);
  L::zero(mid + lags, dstLen - lead - lags);
  return ippStsNoErr;
}

} // namespace kernels::corrconv
