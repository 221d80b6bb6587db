// Generic variants of the real convolution and of the real and complex correlations.
// Short inputs are summed directly in extended precision; long ones go through the
// double-precision FFT (real transforms for doubles, complex ones for Ipp64fc).
// A transform path takes its record, work area and scratch before it writes anything,
// so every failure leaves the destination as it was and releases what it took.
#include "framework/dispatch/generic_corrconv.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/generic_alloc.h"
#include "framework/dispatch/generic_helpers.h"
#include "kernels/fft-real/FFTReal64.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace dispatch_filters {

namespace {

namespace fft = fft_real;

// The smallest order of at least minOrder whose power of two reaches need. Orders past
// 30 are left for the transform set-up to refuse.
int orderFor(long long need, int minOrder) {
  int o = minOrder;
  while (o < 62 && (1LL << o) < need)
    ++o;
  return o;
}

template <class T> void zero(T *p, long long n) { std::fill(p, p + std::max(0LL, n), T{}); }

// a has la >= lb samples; pDst receives la + lb - 1 values, each sum stored as a double
// after every product. Signals of 4096 samples or more go in pieces of 4096, so one
// pass of the kernel touches at most 4096 + lb - 1 results.
void convDirect(const double *a, int la, const double *b, int lb, double *pDst) {
  constexpr int kPiece = 4096;
  zero(pDst, lb - 1);
  for (long long p = 0; p < la; p += kPiece) {
    const int g = static_cast<int>(std::min<long long>(kPiece, la - p));
    zero(pDst + p + lb - 1, g);
    for (int i = 0; i < lb; ++i) {
      double *d = pDst + p + i;
      const ext bi = b[i];
      for (int j = 0; j < g; ++j)
        d[j] = static_cast<double>(d[j] + a[p + j] * bi);
    }
  }
}

// Perm layout product (R0, R(N/2), then complex pairs): pSrcDst := pSrc · pSrcDst.
void mulPerm(const double *pSrc, double *pSrcDst, long long n) {
  pSrcDst[0] = static_cast<double>(static_cast<ext>(pSrcDst[0]) * pSrc[0]);
  if (n < 2)
    return;
  pSrcDst[1] = static_cast<double>(static_cast<ext>(pSrcDst[1]) * pSrc[1]);
  for (long long i = 2; i + 1 < n; i += 2) {
    const ext re = pSrcDst[i], im = pSrcDst[i + 1], sr = pSrc[i], si = pSrc[i + 1];
    pSrcDst[i] = static_cast<double>(sr * re - si * im);
    pSrcDst[i + 1] = static_cast<double>(sr * im + si * re);
  }
}

// Pack layout (R0, complex pairs, R(N/2)): pSrcDst := pSrc · conj(pSrcDst).
void mulPackConj(const double *pSrc, double *pSrcDst, long long n) {
  pSrcDst[0] = static_cast<double>(static_cast<ext>(pSrcDst[0]) * pSrc[0]);
  if (n % 2 == 0)
    pSrcDst[n - 1] = static_cast<double>(static_cast<ext>(pSrcDst[n - 1]) * pSrc[n - 1]);
  for (long long i = 1; i + 1 < n; i += 2) {
    const ext dr = pSrcDst[i], di = pSrcDst[i + 1], sr = pSrc[i], si = pSrc[i + 1];
    pSrcDst[i] = static_cast<double>(sr * dr + si * di);
    pSrcDst[i + 1] = static_cast<double>(si * dr - sr * di);
  }
}

// What a transform path needs of its element type: the record type and its set-up,
// release, forward and inverse transforms, and the spectrum product
// pSrcDst := pSrc · conj(pSrcDst) in the element type's spectrum layout.
struct RealFft {
  using Elem = double;
  using Spec = FFTSpec_R_64f;
  static IppOpStatus init(Spec **pp, int order) {
    return fft::ippsFFTInitAlloc_R_64f(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return fft::ippsFFTGetBufSize_R_64f(p, bytes);
  }
  static void release(Spec *p) { fft::ippsFFTFree_R_64f(p); }
  static void forward(Elem *a, const Spec *p, std::uint8_t *w) {
    fft::ippsFFTFwd_RToPack_64f(a, a, p, w);
  }
  static void inverse(const Elem *a, Elem *d, const Spec *p, std::uint8_t *w) {
    fft::ippsFFTInv_PackToR_64f(a, d, p, w);
  }
  static void mulConj(const Elem *pSrc, Elem *pSrcDst, long long n) {
    mulPackConj(pSrc, pSrcDst, n);
  }
};

struct ComplexFft {
  using Elem = Ipp64fc;
  using Spec = FFTSpec_C_64fc;
  static IppOpStatus init(Spec **pp, int order) {
    return fft::ippsFFTInitAlloc_C_64fc(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return fft::ippsFFTGetBufSize_C_64fc(p, bytes);
  }
  static void release(Spec *p) { fft::ippsFFTFree_C_64fc(p); }
  static void forward(Elem *a, const Spec *p, std::uint8_t *w) {
    fft::ippsFFTFwd_CToC_64fc(a, a, p, w);
  }
  static void inverse(const Elem *a, Elem *d, const Spec *p, std::uint8_t *w) {
    fft::ippsFFTInv_CToC_64fc(a, d, p, w);
  }
  static void mulConj(const Elem *pSrc, Elem *pSrcDst, long long n) {
    for (long long i = 0; i < n; ++i) {
      const ext sr = pSrc[i].re, si = pSrc[i].im, dr = pSrcDst[i].re, di = pSrcDst[i].im;
      pSrcDst[i] = {static_cast<double>(sr * dr + si * di), static_cast<double>(si * dr - sr * di)};
    }
  }
};

// One transform record (inverse scaled by 1/N), its work area and a scratch block,
// released together.
template <class Fft> class FftScratch {
public:
  using Elem = typename Fft::Elem;

  FftScratch() = default;
  FftScratch(const FftScratch &) = delete;
  FftScratch &operator=(const FftScratch &) = delete;
  ~FftScratch() {
    blockFree(data_);
    blockFree(work_);
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
    // With the work area given, the transforms themselves never allocate or fail.
    if (workBytes > 0 && !(work_ = blockAlloc(workBytes)))
      return ippStsMemAllocErr;
    // The set-up refused orders above 30, so the byte count cannot wrap.
    if (!(data_ =
              static_cast<Elem *>(blockAlloc(arrays * n_ * static_cast<long long>(sizeof(Elem))))))
      return ippStsMemAllocErr;
    return ippStsNoErr;
  }

  // Array i of the scratch, holding `before` zeros, then src, then zeros up to n().
  Elem *place(int i, long long before, const Elem *src, long long len) const {
    Elem *a = data_ + i * n_;
    std::fill(a, a + before, Elem{});
    std::copy(src, src + len, a + before);
    std::fill(a + before + len, a + n_, Elem{});
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

// The whole convolution through one transform of N >= la + lb - 1 points.
IppOpStatus convOneTransform(const double *a, int la, const double *b, int lb, double *pDst) {
  const long long outLen = static_cast<long long>(la) + lb - 1;
  FftScratch<RealFft> s;
  if (IppOpStatus st = s.init(outLen, 2, 2); st != ippStsNoErr)
    return st;
  double *x = s.place(0, 0, a, la);
  double *y = s.place(1, 0, b, lb);
  fft::ippsFFTFwd_RToPerm_64f(x, x, s.spec(), s.work());
  fft::ippsFFTFwd_RToPerm_64f(y, y, s.spec(), s.work());
  mulPerm(x, y, s.n());
  fft::ippsFFTInv_PermToR_64f(y, y, s.spec(), s.work());
  std::copy(y, y + outLen, pDst);
  return ippStsNoErr;
}

// Overlap-save with blocks of M >= 4·lb points: the kernel spectrum is made once, each
// block yields M - lb + 1 new outputs.
IppOpStatus convBlocks(const double *a, int la, const double *b, int lb, double *pDst) {
  const long long outLen = static_cast<long long>(la) + lb - 1;
  FftScratch<RealFft> s;
  // Order d + 1, d the smallest order of at least 2 with 2^d >= 2·lb.
  if (IppOpStatus st = s.init(4LL * lb, 3, 2); st != ippStsNoErr)
    return st;
  const long long m = s.n();
  const long long step = m - lb + 1;
  double *kernel = s.place(0, 0, b, lb);
  fft::ippsFFTFwd_RToPerm_64f(kernel, kernel, s.spec(), s.work());
  for (long long pos = 0; pos < outLen; pos += step) {
    const long long back = pos == 0 ? 0 : lb - 1; // later blocks start lb - 1 samples back
    const long long count = std::min(la - pos + back, step + back);
    double *block = s.place(1, 0, a + pos - back, count);
    fft::ippsFFTFwd_RToPerm_64f(block, block, s.spec(), s.work());
    mulPerm(kernel, block, m);
    fft::ippsFFTInv_PermToR_64f(block, block, s.spec(), s.work());
    const long long take = std::min(step, outLen - pos);
    std::copy(block + back, block + back + take, pDst + pos);
  }
  return ippStsNoErr;
}

// Direct lag sums in extended precision, rounded once per lag: x1[i]·x2[i + k] for
// doubles, conj(x1[i])·x2[i + k] for complex values.
struct LagSum {
  ext re = 0, im = 0;
  void add(double a, double b) { re += static_cast<ext>(a) * b; }
  void add(Ipp64fc a, Ipp64fc b) {
    re = (re + static_cast<ext>(a.re) * b.re) + static_cast<ext>(a.im) * b.im;
    im = (im + static_cast<ext>(a.re) * b.im) - static_cast<ext>(a.im) * b.re;
  }
  void get(double &out) const { out = static_cast<double>(re); }
  void get(Ipp64fc &out) const { out = {static_cast<double>(re), static_cast<double>(im)}; }
};

// Lag k of the cross-correlation over the overlap of the two inputs.
template <class T> T crossLag(const T *x1, int len1, const T *x2, int len2, long long k) {
  const long long from = std::max(0LL, -k);
  const long long to = std::min<long long>(len1, len2 - k);
  LagSum sum;
  for (long long i = from; i < to; ++i)
    sum.add(x1[i], x2[i + k]);
  T out;
  sum.get(out);
  return out;
}

template <class Fft> constexpr int autoCorrDirectLags() {
  return std::is_same_v<typename Fft::Elem, double> ? kAutoCorrDirectLags
                                                    : kAutoCorrDirectLagsComplex;
}

// Lags 0 .. n-1 through one transform of N >= 2·srcLen points (no circular overlap).
template <class Fft>
IppOpStatus autoCorrTransform(const typename Fft::Elem *x, int srcLen, typename Fft::Elem *pDst,
                              int n) {
  FftScratch<Fft> s;
  if (IppOpStatus st = s.init(2LL * srcLen, 2, 1); st != ippStsNoErr)
    return st;
  auto *data = s.place(0, 0, x, srcLen);
  Fft::forward(data, s.spec(), s.work());
  Fft::mulConj(data, data, s.n());
  Fft::inverse(data, data, s.spec(), s.work());
  std::copy(data, data + n, pDst);
  return ippStsNoErr;
}

enum class Norm { None, A, B };

void scale(double &v, double f) { v *= f; }
void scale(Ipp64fc &v, double f) { v = {v.re * f, v.im * f}; }
void divide(double &v, double d) { v /= d; }
void divide(Ipp64fc &v, double d) { v = {v.re / d, v.im / d}; }

template <class Fft, class T = typename Fft::Elem>
IppOpStatus autoCorr(const T *pSrc, int srcLen, T *pDst, int dstLen, Norm norm) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (srcLen < 1 || dstLen < 1)
    return ippStsSizeErr;
  const int n = std::min(srcLen, dstLen);
  if (n < autoCorrDirectLags<Fft>()) {
    for (int k = 0; k < n; ++k)
      pDst[k] = crossLag(pSrc, srcLen, pSrc, srcLen, k);
  } else if (IppOpStatus st = autoCorrTransform<Fft>(pSrc, srcLen, pDst, n); st != ippStsNoErr) {
    return st;
  }
  zero(pDst + n, dstLen - n);
  if (norm == Norm::A) {
    const double f = static_cast<double>(1.0L / srcLen);
    if (f != 1.0)
      for (int k = 0; k < n; ++k)
        scale(pDst[k], f);
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
template <class Fft, class T = typename Fft::Elem>
IppOpStatus crossCorr(const T *pSrc1, int len1, const T *pSrc2, int len2, T *pDst, int dstLen,
                      int lowLag) {
  if (!pSrc1 || !pSrc2 || !pDst)
    return ippStsNullPtrErr;
  if (len1 < 1 || len2 < 1 || dstLen < 1)
    return ippStsSizeErr;

  const long long firstLag = std::max<long long>(lowLag, -(static_cast<long long>(len1) - 1));
  const long long endLag = std::min<long long>(static_cast<long long>(lowLag) + dstLen, len2);
  const long long lead = std::min<long long>(firstLag - lowLag, dstLen);
  const long long lags = std::max(0LL, endLag - firstLag);

  T *mid = pDst + lead;
  if (lags > 0 && crossCorrTakesTransform(lags, len1, len2)) {
    const long long full = static_cast<long long>(len1) + len2 - 1;
    FftScratch<Fft> s;
    if (IppOpStatus st = s.init(full, 2, 2); st != ippStsNoErr)
      return st;
    T *a1 = s.place(0, 0, pSrc1, len1);
    T *a2 = s.place(1, len1 - 1, pSrc2, len2);
    Fft::forward(a1, s.spec(), s.work());
    Fft::forward(a2, s.spec(), s.work());
    Fft::mulConj(a2, a1, s.n());
    Fft::inverse(a1, a2, s.spec(), s.work());
    // a2[t] is the lag t - (len1 - 1).
    const long long off = firstLag + len1 - 1;
    std::copy(a2 + off, a2 + off + lags, mid);
  } else {
    for (long long j = 0; j < lags; ++j)
      mid[j] = crossLag(pSrc1, len1, pSrc2, len2, firstLag + j);
  }
  zero(pDst, lead);
  zero(mid + lags, dstLen - lead - lags);
  return ippStsNoErr;
}

} // namespace

bool crossCorrTakesTransform(long long lags, int len1, int len2) {
  const long long shorter = std::min(len1, len2);
  const long long longer = std::max(len1, len2);
  // lags·shorter / longer, truncated, compared with the estimate threshold exactly.
  return lags * shorter >= kCrossCorrEstimate * longer;
}

} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsConv_64f(const double *pSrc1, int len1, const double *pSrc2, int len2,
                         double *pDst) {
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
  if (outLen < kConvDirectOutputs || lb < kConvDirectTaps) {
    convDirect(a, la, b, lb, pDst);
    return ippStsNoErr;
  }
  if (la < static_cast<long long>(kConvLengthRatio) * lb)
    return convOneTransform(a, la, b, lb, pDst);
  return convBlocks(a, la, b, lb, pDst);
}

IppOpStatus ippsAutoCorr_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {
  return autoCorr<RealFft>(pSrc, srcLen, pDst, dstLen, Norm::None);
}

IppOpStatus ippsAutoCorr_NormA_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {
  return autoCorr<RealFft>(pSrc, srcLen, pDst, dstLen, Norm::A);
}

IppOpStatus ippsAutoCorr_NormB_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {
  return autoCorr<RealFft>(pSrc, srcLen, pDst, dstLen, Norm::B);
}

IppOpStatus ippsCrossCorr_64f(const double *pSrc1, int src1Len, const double *pSrc2, int src2Len,
                              double *pDst, int dstLen, int lowLag) {
  return crossCorr<RealFft>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag);
}

IppOpStatus ippsAutoCorr_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {
  return autoCorr<ComplexFft>(pSrc, srcLen, pDst, dstLen, Norm::None);
}

IppOpStatus ippsAutoCorr_NormA_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {
  return autoCorr<ComplexFft>(pSrc, srcLen, pDst, dstLen, Norm::A);
}

IppOpStatus ippsAutoCorr_NormB_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {
  return autoCorr<ComplexFft>(pSrc, srcLen, pDst, dstLen, Norm::B);
}

IppOpStatus ippsCrossCorr_64fc(const Ipp64fc *pSrc1, int src1Len, const Ipp64fc *pSrc2, int src2Len,
                               Ipp64fc *pDst, int dstLen, int lowLag) {
  return crossCorr<ComplexFft>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag);
}

} // namespace Slbcbbasicdispatcher::generic
