// Code 5 and code 6 variants of the real convolution and of the real and complex
// correlations.
//
// Both classes follow the generic's paths (direct sums; one transform of the whole
// result; overlap-save blocks for a long signal and a short kernel) with thresholds of
// their own, and run the transforms of their own class. Code 5 sums and multiplies
// spectra in extended precision, as the generic does; code 6 does both in double on
// 16-byte registers. A transform path takes its record, work area and scratch before it
// writes anything, so a failure leaves the destination as it was and releases what it
// took.
#include "kernels/common/CountedBlocks.h"
#include "kernels/fft-real/FFTReal64.h"
#include "kernels/signal/SignalCorrConv.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace kernels::signal {

namespace {

namespace fft = fft_real;
using ext = long double;
using std::size_t;

TCountedBlocks &blocks() {
  static TCountedBlocks b;
  return b;
}

// The class's copy and zero of n elements (n may be 0).
template <bool Sse2, class T> void copyN(const T *src, T *dst, long long n) {
  if (n <= 0)
    return;
  const size_t bytes = static_cast<size_t>(n) * sizeof(T);
  if constexpr (Sse2)
    sse2::ownsCopy_8u_Sse2(src, dst, bytes);
  else
    sse::CopyBytes(src, dst, bytes);
}

template <bool Sse2, class T> void zeroN(T *dst, long long n) {
  if (n <= 0)
    return;
  const size_t bytes = static_cast<size_t>(n) * sizeof(T);
  if constexpr (Sse2)
    sse2::ownsZero_8u_Sse2(dst, bytes);
  else
    sse::ZeroBytes(dst, bytes);
}

// The smallest order of at least minOrder whose power of two reaches need. Orders past
// 30 are left for the transform set-up to refuse.
int orderFor(long long need, int minOrder) {
  int o = minOrder;
  while (o < 62 && (1LL << o) < need)
    ++o;
  return o;
}

// --- spectrum products ---------------------------------------------------------------

// Perm layout (R0, then R(N/2) when N is even, then pairs): pSrcDst := pSrc · pSrcDst,
// the arithmetic in A.
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

// Pack layout (R0, pairs, R(N/2)): pSrcDst := pSrc · conj(pSrcDst), the arithmetic in A.
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

// Tests, then the product over len elements.
template <void (*Steps)(const double *, double *, long long)>
IppOpStatus spectrumProduct(const double *pSrc, double *pSrcDst, int len) {
  if (!pSrc || !pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  Steps(pSrc, pSrcDst, len);
  return ippStsNoErr;
}

} // namespace

// The classes' spectrum products: code 6 rounds every product and sum to double, code 5
// keeps them in extended precision as the generic. The transform paths pass valid
// arguments only and do not read the status.
IppOpStatus ippsMulPerm_64f_I_Sse2(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<mulPermSteps<double>>(pSrc, pSrcDst, len);
}

IppOpStatus ippsMulPerm_64f_I_Sse(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<mulPermSteps<ext>>(pSrc, pSrcDst, len);
}

IppOpStatus ippsMulPackConj_64f_I_Sse2(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<mulPackConjSteps<double>>(pSrc, pSrcDst, len);
}

IppOpStatus ippsMulPackConj_64f_I_Sse(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<mulPackConjSteps<ext>>(pSrc, pSrcDst, len);
}

namespace {

// Transform lengths are powers of two up to 2^30, so they pass as int.
template <bool Sse2> void mulPerm(const double *pSrc, double *pSrcDst, long long n) {
  (Sse2 ? ippsMulPerm_64f_I_Sse2 : ippsMulPerm_64f_I_Sse)(pSrc, pSrcDst, static_cast<int>(n));
}

template <bool Sse2> void mulPackConj(const double *pSrc, double *pSrcDst, long long n) {
  (Sse2 ? ippsMulPackConj_64f_I_Sse2 : ippsMulPackConj_64f_I_Sse)(pSrc, pSrcDst,
                                                                  static_cast<int>(n));
}

// Complex spectra: pSrcDst := pSrc · conj(pSrcDst), element by element.
template <bool Sse2> void mulConjComplex(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, long long n) {
  if constexpr (Sse2) {
    const __m128d flip = _mm_set_pd(-0.0, 0.0); // negates the high lane
    for (long long i = 0; i < n; ++i) {
      const __m128d s = _mm_loadu_pd(&pSrc[i].re);
      const __m128d d = _mm_loadu_pd(&pSrcDst[i].re);
      // (sr·dr, si·dr) + (si·di, -(sr·di))
      const __m128d p = _mm_mul_pd(s, _mm_unpacklo_pd(d, d));
      const __m128d q = _mm_mul_pd(_mm_shuffle_pd(s, s, 1), _mm_unpackhi_pd(d, d));
      _mm_storeu_pd(&pSrcDst[i].re, _mm_add_pd(p, _mm_xor_pd(q, flip)));
    }
  } else {
    for (long long i = 0; i < n; ++i) {
      const ext sr = pSrc[i].re, si = pSrc[i].im, dr = pSrcDst[i].re, di = pSrcDst[i].im;
      pSrcDst[i] = {static_cast<double>(sr * dr + si * di), static_cast<double>(si * dr - sr * di)};
    }
  }
}

// --- transforms of each class ----------------------------------------------------------

template <bool Sse2> struct RealFft {
  using Elem = double;
  using Spec = FFTSpec_R_64f;
  static IppOpStatus init(Spec **pp, int order) {
    return Sse2 ? fft::ippsFFTInitAlloc_R_64f_Sse2(pp, order, fft::kFFTDivInvByN, 0)
                : fft::ippsFFTInitAlloc_R_64f_Sse(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return Sse2 ? fft::ippsFFTGetBufSize_R_64f_Sse2(p, bytes)
                : fft::ippsFFTGetBufSize_R_64f_Sse(p, bytes);
  }
  static void release(Spec *p) {
    if (Sse2)
      fft::ippsFFTFree_R_64f_Sse2(p);
    else
      fft::ippsFFTFree_R_64f_Sse(p);
  }
  static IppOpStatus forwardPerm(double *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTFwd_RToPerm_64f_Sse2(a, a, p, w)
                : fft::ippsFFTFwd_RToPerm_64f_Sse(a, a, p, w);
  }
  static IppOpStatus inversePerm(double *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTInv_PermToR_64f_Sse2(a, a, p, w)
                : fft::ippsFFTInv_PermToR_64f_Sse(a, a, p, w);
  }
  static IppOpStatus forward(double *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTFwd_RToPack_64f_Sse2(a, a, p, w)
                : fft::ippsFFTFwd_RToPack_64f_Sse(a, a, p, w);
  }
  static IppOpStatus inverse(const double *a, double *d, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTInv_PackToR_64f_Sse2(a, d, p, w)
                : fft::ippsFFTInv_PackToR_64f_Sse(a, d, p, w);
  }
  static void mulConj(const double *pSrc, double *pSrcDst, long long n) {
    mulPackConj<Sse2>(pSrc, pSrcDst, n);
  }
};

template <bool Sse2> struct ComplexFft {
  using Elem = Ipp64fc;
  using Spec = FFTSpec_C_64fc;
  static IppOpStatus init(Spec **pp, int order) {
    return Sse2 ? fft::ippsFFTInitAlloc_C_64fc_Sse2(pp, order, fft::kFFTDivInvByN, 0)
                : fft::ippsFFTInitAlloc_C_64fc_Sse(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return Sse2 ? fft::ippsFFTGetBufSize_C_64fc_Sse2(p, bytes)
                : fft::ippsFFTGetBufSize_C_64fc_Sse(p, bytes);
  }
  static void release(Spec *p) {
    if (Sse2)
      fft::ippsFFTFree_C_64fc_Sse2(p);
    else
      fft::ippsFFTFree_C_64fc_Sse(p);
  }
  static IppOpStatus forward(Ipp64fc *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTFwd_CToC_64fc_Sse2(a, a, p, w)
                : fft::ippsFFTFwd_CToC_64fc_Sse(a, a, p, w);
  }
  static IppOpStatus inverse(const Ipp64fc *a, Ipp64fc *d, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTInv_CToC_64fc_Sse2(a, d, p, w)
                : fft::ippsFFTInv_CToC_64fc_Sse(a, d, p, w);
  }
  static void mulConj(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, long long n) {
    mulConjComplex<Sse2>(pSrc, pSrcDst, n);
  }
};

// One transform record (inverse scaled by 1/N), its work area and a scratch block of
// `arrays` arrays of N elements, released together.
template <class Fft, bool Sse2> class FftScratch {
public:
  using Elem = typename Fft::Elem;

  FftScratch() = default;
  FftScratch(const FftScratch &) = delete;
  FftScratch &operator=(const FftScratch &) = delete;
  ~FftScratch() {
    blocks().Free(data_);
    blocks().Free(work_);
    if (spec_)
      Fft::release(spec_);
  }

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
    if (workBytes > 0 && !(work_ = blocks().Alloc(workBytes)))
      return ippStsMemAllocErr;
    // The set-up refused orders above 30; the counter refuses counts past 32 bits.
    if (!(data_ = static_cast<Elem *>(
              blocks().Alloc(arrays * n_ * static_cast<long long>(sizeof(Elem))))))
      return ippStsMemAllocErr;
    return ippStsNoErr;
  }

  // Array i of the scratch, holding `before` zeros, then src, then zeros up to n().
  Elem *place(int i, long long before, const Elem *src, long long len) const {
    Elem *a = data_ + i * n_;
    zeroN<Sse2>(a, before);
    copyN<Sse2>(src, a + before, len);
    zeroN<Sse2>(a + before + len, n_ - before - len);
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

// --- convolution ---------------------------------------------------------------------

constexpr int kConvPiece = 4096;

// Code 5's direct loop: the generic's, each sum stored as a double after every product.
void convDirectX87(const double *a, int la, const double *b, int lb, double *d) {
  for (int i = 0; i < lb; ++i) {
    const ext bi = b[i];
    double *di = d + i;
    for (int j = 0; j < la; ++j)
      di[j] = static_cast<double>(di[j] + a[j] * bi);
  }
}

// The signal in pieces of 4096 samples, so one pass of the kernel touches at most
// 4096 + lb - 1 results; each piece's results are zeroed just before it adds into them.
template <bool Sse2> void convDirect(const double *a, int la, const double *b, int lb, double *d) {
  zeroN<Sse2>(d, lb - 1);
  for (long long p = 0; p < la; p += kConvPiece) {
    const int g = static_cast<int>(std::min<long long>(kConvPiece, la - p));
    zeroN<Sse2>(d + p + lb - 1, g);
    if constexpr (Sse2)
      sse2::ownsConvDirect_64f_Sse2(a + p, g, b, lb, d + p);
    else
      convDirectX87(a + p, g, b, lb, d + p);
  }
}

template <bool Sse2>
IppOpStatus convOneTransform(const double *a, int la, const double *b, int lb, double *pDst) {
  using F = RealFft<Sse2>;
  const long long outLen = static_cast<long long>(la) + lb - 1;
  FftScratch<F, Sse2> s;
  if (IppOpStatus st = s.init(outLen, 2, 2); st != ippStsNoErr)
    return st;
  double *x = s.place(0, 0, a, la);
  double *y = s.place(1, 0, b, lb);
  if (IppOpStatus st = F::forwardPerm(x, s.spec(), s.work()); st < 0)
    return st;
  if (IppOpStatus st = F::forwardPerm(y, s.spec(), s.work()); st < 0)
    return st;
  mulPerm<Sse2>(x, y, s.n());
  if (IppOpStatus st = F::inversePerm(y, s.spec(), s.work()); st < 0)
    return st;
  copyN<Sse2>(y, pDst, outLen);
  return ippStsNoErr;
}

// Overlap-save with blocks of M >= 4·lb points: the kernel spectrum is made once, each
// block yields M - lb + 1 new results.
template <bool Sse2>
IppOpStatus convBlocks(const double *a, int la, const double *b, int lb, double *pDst) {
  using F = RealFft<Sse2>;
  const long long outLen = static_cast<long long>(la) + lb - 1;
  FftScratch<F, Sse2> s;
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
    mulPerm<Sse2>(kernel, block, m);
    if (IppOpStatus st = F::inversePerm(block, s.spec(), s.work()); st < 0)
      return st;
    copyN<Sse2>(block + back, pDst + pos, std::min(step, outLen - pos));
  }
  return ippStsNoErr;
}

template <bool Sse2>
IppOpStatus conv(const double *pSrc1, int len1, const double *pSrc2, int len2, double *pDst) {
  constexpr CorrConvThresholds t = Sse2 ? kSse2Thresholds : kSseThresholds;
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
  if (outLen < t.convOutputs || lb < t.convTaps) {
    convDirect<Sse2>(a, la, b, lb, pDst);
    return ippStsNoErr;
  }
  if (la < 3LL * lb)
    return convOneTransform<Sse2>(a, la, b, lb, pDst);
  return convBlocks<Sse2>(a, la, b, lb, pDst);
}

// --- correlation ---------------------------------------------------------------------

// x[0 .. n) · y[0 .. n) in double: two lanes, four products a step, then two, then one;
// the lanes are added at the end.
double dotDouble(const double *x, const double *y, long long n) {
  __m128d s0 = _mm_setzero_pd(), s1 = _mm_setzero_pd();
  long long i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 = _mm_add_pd(s0, _mm_mul_pd(_mm_loadu_pd(x + i), _mm_loadu_pd(y + i)));
    s1 = _mm_add_pd(s1, _mm_mul_pd(_mm_loadu_pd(x + i + 2), _mm_loadu_pd(y + i + 2)));
  }
  if (i + 2 <= n) {
    s0 = _mm_add_pd(s0, _mm_mul_pd(_mm_loadu_pd(x + i), _mm_loadu_pd(y + i)));
    i += 2;
  }
  s0 = _mm_add_pd(s0, s1);
  double r = _mm_cvtsd_f64(s0) + _mm_cvtsd_f64(_mm_unpackhi_pd(s0, s0));
  if (i < n)
    r += x[i] * y[i];
  return r;
}

// sum of conj(x[j])·y[j] in double: (a, b)·(c, d) adds (a·c + b·d, a·d - b·c).
Ipp64fc dotConjDouble(const Ipp64fc *x, const Ipp64fc *y, long long n) {
  const __m128d flip = _mm_set_pd(-0.0, 0.0);
  __m128d s0 = _mm_setzero_pd(), s1 = _mm_setzero_pd();
  auto term = [&](long long j) {
    const __m128d xv = _mm_loadu_pd(&x[j].re);
    const __m128d yv = _mm_loadu_pd(&y[j].re);
    const __m128d p = _mm_mul_pd(_mm_unpacklo_pd(xv, xv), yv);                        // (ac, ad)
    const __m128d q = _mm_mul_pd(_mm_unpackhi_pd(xv, xv), _mm_shuffle_pd(yv, yv, 1)); // (bd, bc)
    return _mm_add_pd(p, _mm_xor_pd(q, flip));
  };
  long long j = 0;
  for (; j + 2 <= n; j += 2) {
    s0 = _mm_add_pd(s0, term(j));
    s1 = _mm_add_pd(s1, term(j + 1));
  }
  if (j < n)
    s0 = _mm_add_pd(s0, term(j));
  Ipp64fc r;
  _mm_storeu_pd(&r.re, _mm_add_pd(s0, s1));
  return r;
}

// Lag k of the cross-correlation over the overlap of the two inputs: code 5 in extended
// precision rounded once, as the generic; code 6 in double.
template <bool Sse2, class T>
T crossLag(const T *x1, int len1, const T *x2, int len2, long long k) {
  const long long from = std::max(0LL, -k);
  const long long to = std::min<long long>(len1, len2 - k);
  if constexpr (Sse2) {
    if constexpr (std::is_same_v<T, double>)
      return dotDouble(x1 + from, x2 + from + k, to - from);
    else
      return dotConjDouble(x1 + from, x2 + from + k, to - from);
  } else {
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
}

template <bool Sse2, class T>
using CorrFft = std::conditional_t<std::is_same_v<T, double>, RealFft<Sse2>, ComplexFft<Sse2>>;

// Lags 0 .. n-1 through one transform of N >= 2·srcLen points (no circular overlap).
template <bool Sse2, class T>
IppOpStatus autoCorrTransform(const T *x, int srcLen, T *pDst, int n) {
  using F = CorrFft<Sse2, T>;
  FftScratch<F, Sse2> s;
  if (IppOpStatus st = s.init(2LL * srcLen, 2, 1); st != ippStsNoErr)
    return st;
  T *data = s.place(0, 0, x, srcLen);
  if (IppOpStatus st = F::forward(data, s.spec(), s.work()); st < 0)
    return st;
  F::mulConj(data, data, s.n());
  if (IppOpStatus st = F::inverse(data, data, s.spec(), s.work()); st < 0)
    return st;
  copyN<Sse2>(data, pDst, n);
  return ippStsNoErr;
}

// Lags 0 .. n-1 (n <= srcLen), each summed on its own.
template <bool Sse2, class T> void autoCorrLags(const T *x, int srcLen, T *dst, int n) {
  for (int k = 0; k < n; ++k)
    dst[k] = crossLag<Sse2>(x, srcLen, x, srcLen, k);
}

void ownsAutoCorrDirect_64f_Sse2(const double *x, int srcLen, double *dst, int n) {
  autoCorrLags<true>(x, srcLen, dst, n);
}

void ownsAutoCorrDirect_64fc_Sse2(const Ipp64fc *x, int srcLen, Ipp64fc *dst, int n) {
  autoCorrLags<true>(x, srcLen, dst, n);
}

// Code 5's real loop; its complex lags are the generic's loop in extended precision.
void ownsAutoCorrDirect_64f_Sse(const double *x, int srcLen, double *dst, int n) {
  autoCorrLags<false>(x, srcLen, dst, n);
}

template <bool Sse2, class T> void autoCorrDirect(const T *x, int srcLen, T *dst, int n) {
  if constexpr (Sse2 && std::is_same_v<T, double>)
    ownsAutoCorrDirect_64f_Sse2(x, srcLen, dst, n);
  else if constexpr (Sse2)
    ownsAutoCorrDirect_64fc_Sse2(x, srcLen, dst, n);
  else if constexpr (std::is_same_v<T, double>)
    ownsAutoCorrDirect_64f_Sse(x, srcLen, dst, n);
  else
    autoCorrLags<false>(x, srcLen, dst, n);
}

enum class Norm { None, A, B };

// Each double times val, two per register: one rounding, so code 5 shares the loop.
void ownsMulC_64f_I_Sse2(double val, double *pSrcDst, std::size_t n) {
  const __m128d v = _mm_set1_pd(val);
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2)
    _mm_storeu_pd(pSrcDst + i, _mm_mul_pd(_mm_loadu_pd(pSrcDst + i), v));
  if (i < n)
    pSrcDst[i] *= val;
}

void divide(double &v, double d) { v /= d; }
void divide(Ipp64fc &v, double d) { v = {v.re / d, v.im / d}; }

template <bool Sse2, class T>
IppOpStatus autoCorr(const T *pSrc, int srcLen, T *pDst, int dstLen, Norm norm) {
  constexpr CorrConvThresholds t = Sse2 ? kSse2Thresholds : kSseThresholds;
  constexpr int directLags = std::is_same_v<T, double> ? t.autoCorrLags : t.autoCorrLagsComplex;
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (srcLen < 1 || dstLen < 1)
    return ippStsSizeErr;
  const int n = std::min(srcLen, dstLen);
  if (n < directLags) {
    autoCorrDirect<Sse2>(pSrc, srcLen, pDst, n);
  } else if (IppOpStatus st = autoCorrTransform<Sse2>(pSrc, srcLen, pDst, n); st != ippStsNoErr) {
    return st;
  }
  zeroN<Sse2>(pDst + n, dstLen - n);
  if (norm == Norm::A) {
    // The factor is the double nearest 1/srcLen; a factor rounded to single precision
    // would change every lag in its eighth digit.
    const double f = static_cast<double>(1.0L / srcLen);
    if (f != 1.0)
      ownsMulC_64f_I_Sse2(f, reinterpret_cast<double *>(pDst),
                          static_cast<std::size_t>(n) * (sizeof(T) / sizeof(double)));
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
template <bool Sse2, class T>
IppOpStatus crossCorr(const T *pSrc1, int len1, const T *pSrc2, int len2, T *pDst, int dstLen,
                      int lowLag) {
  using F = CorrFft<Sse2, T>;
  if (!pSrc1 || !pSrc2 || !pDst)
    return ippStsNullPtrErr;
  if (len1 < 1 || len2 < 1 || dstLen < 1)
    return ippStsSizeErr;

  const long long firstLag = std::max<long long>(lowLag, -(static_cast<long long>(len1) - 1));
  const long long endLag = std::min<long long>(static_cast<long long>(lowLag) + dstLen, len2);
  const long long lead = std::min<long long>(firstLag - lowLag, dstLen);
  const long long lags = std::max(0LL, endLag - firstLag);

  T *mid = pDst + lead;
  if (lags > 0 && CrossCorrTakesTransformSingle(lags, len1, len2)) {
    const long long full = static_cast<long long>(len1) + len2 - 1;
    FftScratch<F, Sse2> s;
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
    copyN<Sse2>(a2 + firstLag + len1 - 1, mid, lags);
  } else {
    for (long long j = 0; j < lags; ++j)
      mid[j] = crossLag<Sse2>(pSrc1, len1, pSrc2, len2, firstLag + j);
  }
  zeroN<Sse2>(pDst, lead);
  zeroN<Sse2>(mid + lags, dstLen - lead - lags);
  return ippStsNoErr;
}

} // namespace

bool CrossCorrTakesTransformSingle(long long lags, int len1, int len2) noexcept {
  // Each step rounds to single precision (no wider intermediate on this target).
  const float m = static_cast<float>(lags);
  const float shorter = static_cast<float>(std::min(len1, len2));
  const float longer = static_cast<float>(std::max(len1, len2));
  const float product = m * shorter;
  const float estimate = product / longer;
  // Truncated toward zero, the estimate reaches 512 exactly when the quotient does.
  return estimate >= 512.0f;
}

void SignalBlocksFailAfter(int after) noexcept { blocks().FailAfter(after); }
long SignalBlocksLive() noexcept { return blocks().Live(); }

#define SIGNAL_CORRCONV_ENTRIES(NS, SSE2)                                                          \
  namespace NS {                                                                                   \
  IppOpStatus ippsConv_64f(const double *pSrc1, int len1, const double *pSrc2, int len2,           \
                           double *pDst) {                                                         \
    return conv<SSE2>(pSrc1, len1, pSrc2, len2, pDst);                                             \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {         \
    return autoCorr<SSE2>(pSrc, srcLen, pDst, dstLen, Norm::None);                                 \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormA_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {   \
    return autoCorr<SSE2>(pSrc, srcLen, pDst, dstLen, Norm::A);                                    \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormB_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {   \
    return autoCorr<SSE2>(pSrc, srcLen, pDst, dstLen, Norm::B);                                    \
  }                                                                                                \
  IppOpStatus ippsCrossCorr_64f(const double *pSrc1, int src1Len, const double *pSrc2,             \
                                int src2Len, double *pDst, int dstLen, int lowLag) {               \
    return crossCorr<SSE2>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag);                  \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {      \
    return autoCorr<SSE2>(pSrc, srcLen, pDst, dstLen, Norm::None);                                 \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormA_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst,              \
                                      int dstLen) {                                                \
    return autoCorr<SSE2>(pSrc, srcLen, pDst, dstLen, Norm::A);                                    \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormB_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst,              \
                                      int dstLen) {                                                \
    return autoCorr<SSE2>(pSrc, srcLen, pDst, dstLen, Norm::B);                                    \
  }                                                                                                \
  IppOpStatus ippsCrossCorr_64fc(const Ipp64fc *pSrc1, int src1Len, const Ipp64fc *pSrc2,          \
                                 int src2Len, Ipp64fc *pDst, int dstLen, int lowLag) {             \
    return crossCorr<SSE2>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag);                  \
  }                                                                                                \
  }

SIGNAL_CORRCONV_ENTRIES(sse2, true)
SIGNAL_CORRCONV_ENTRIES(sse, false)
#undef SIGNAL_CORRCONV_ENTRIES

} // namespace kernels::signal
