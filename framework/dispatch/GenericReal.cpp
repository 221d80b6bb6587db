// Generic variants of the real-vector operations that nothing in the system calls:
// constant arithmetic on doubles and floats, the plain sum and the windows.
// Intermediate values are held in extended precision and rounded once when stored.
#include <cmath>
#include <numbers>

#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_filters {
namespace {

// Symmetric windows: weight(k) for the pair (k, N-1-k), k < N/2; an odd middle has
// weight 1 and is copied. Weights come from the caller's recurrence, in pair order.
template <class NextWeight>
IppOpStatus applyWindow(const double *pSrc, double *pDst, int len, int minLen, NextWeight next) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < minLen)
    return ippStsSizeErr;
  for (int k = 0; k < len / 2; ++k) {
    const ext w = next(k);
    pDst[k] = static_cast<double>(pSrc[k] * w);
    pDst[len - 1 - k] = static_cast<double>(pSrc[len - 1 - k] * w);
  }
  if (len % 2 == 1)
    pDst[len / 2] = pSrc[len / 2];
  return ippStsNoErr;
}

IppOpStatus bartlett(const double *pSrc, double *pDst, int len) {
  // A running sum of 2/(N-1); both ends are exactly 0 (stored, so NaN and infinity
  // samples become 0 there too).
  const ext f = 2.0L / (len - 1);
  ext e = 0;
  IppOpStatus st = applyWindow(pSrc, pDst, len, 3, [&](int k) {
    if (k > 0)
      e += f;
    return e;
  });
  if (st == ippStsNoErr) {
    pDst[0] = 0.0;
    pDst[len - 1] = 0.0;
  }
  return st;
}

// The cosine of kθ, θ = 2π/(N-1), by a rotation recurrence started from _cos/_sqrt.
struct CosineWalk {
  ext c1, s1, c = 1, s = 0;
  explicit CosineWalk(int len) {
    const double cd = std::cos(2.0 * std::numbers::pi / (len - 1));
    c1 = cd;
    s1 = std::sqrt(static_cast<double>(1.0L - c1 * c1));
  }
  void advance() {
    const ext cn = c1 * c - s1 * s;
    s = s1 * c + c1 * s;
    c = cn;
  }
};

IppOpStatus raisedCosine(const double *pSrc, double *pDst, int len, ext a, ext b) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 3)
    return ippStsSizeErr;
  CosineWalk walk(len);
  return applyWindow(pSrc, pDst, len, 3, [&](int k) {
    if (k > 0)
      walk.advance();
    return a - b * walk.c;
  });
}

IppOpStatus blackman(const double *pSrc, double *pDst, int len, double alpha) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 3)
    return ippStsSizeErr;
  const ext g = static_cast<double>((1.0L + alpha) * 0.5L);
  const ext h = static_cast<double>(alpha * 0.5L);
  CosineWalk walk(len);
  IppOpStatus st = applyWindow(pSrc, pDst, len, 3, [&](int k) {
    if (k > 0)
      walk.advance();
    const ext q = 2 * walk.c * walk.c - 1;
    return g - 0.5L * walk.c - h * q;
  });
  if (st == ippStsNoErr && len == 3) {
    pDst[0] = 0.0;
    pDst[2] = 0.0;
  }
  return st;
}

// Polynomial approximation of the modified Bessel function I0 (two ranges split at 4).
ext besselI0(ext x) {
  static constexpr double a[] = {0.9999999985, 4.0000001935, 3.9999959541, 1.777809969,
                                 0.4443189384, 0.0713758187, 0.0075942968, 0.0008267816};
  static constexpr double b[] = {0.3989422809, 0.0124667783,  0.0017623668, 0.00026,
                                 0.0022585672, -0.0128314822, 0.0495811118, -0.1209940805,
                                 0.1895476618, -0.1867783276, 0.1113315511, -0.0366694767,
                                 0.0051246015};
  const ext ax = std::fabs(x);
  if (ax < 4.0L) {
    const ext y = (ax * 0.25L) * (ax * 0.25L);
    ext r = a[7];
    for (int i = 6; i >= 0; --i)
      r = a[i] + y * r;
    return r;
  }
  const ext u = 4.0L / ax;
  ext p = b[12];
  for (int i = 11; i >= 0; --i)
    p = b[i] + u * p;
  return static_cast<double>(p) * std::exp(static_cast<double>(ax)) / std::sqrt(ax);
}

IppOpStatus kaiser(const double *pSrc, double *pDst, int len, float alpha) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (0.5L * std::fabs(static_cast<ext>(alpha)) * (len - 1) > 308.0L)
    return ippStsHugeWinErr;
  const ext norm = 1.0L / besselI0(0.5L * (alpha * static_cast<ext>(len - 1)));
  return applyWindow(pSrc, pDst, len, 1, [&](int n) {
    const ext t = static_cast<ext>(static_cast<long long>(n) * (len - 1 - n));
    return besselI0(alpha * std::sqrt(static_cast<double>(t))) * norm;
  });
}

} // namespace
} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Slbasicdispatcher::generic {

// A zero constant of either sign copies, so -0.0 elements keep their sign.
IppOpStatus ippsAddC_64f(const double *pSrc, double val, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](double x) { return val == 0.0 ? x : x + val; });
}

IppOpStatus ippsSubC_64f(const double *pSrc, double val, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](double x) { return val == 0.0 ? x : x - val; });
}

IppOpStatus ippsSubCRev_64f(const double *pSrc, double val, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](double x) { return val - x; });
}

IppOpStatus ippsMulC_64f(const double *pSrc, double val, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](double x) { return x * val; });
}

IppOpStatus ippsDivC_64f(const double *pSrc, double val, double *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 0.0)
    return ippStsDivByZeroErr;
  // Multiplied by the reciprocal rounded to double, as the in-place division does.
  const double r = static_cast<double>(1.0L / val);
  return mapVector(pSrc, pDst, len,
                   [r](double x) { return static_cast<double>(static_cast<ext>(x) * r); });
}

IppOpStatus ippsAdd_64f(const double *pSrc1, const double *pSrc2, double *pDst, int len) {
  if (!pSrc1 || !pSrc2 || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  for (int i = 0; i < len; ++i)
    pDst[i] = pSrc1[i] + pSrc2[i];
  return ippStsNoErr;
}

IppOpStatus ippsSum_64f(const double *pSrc, int len, double *pSum) {
  if (!pSrc || !pSum)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  // Over groups of four, the even-indexed elements go into one partial sum and the
  // odd-indexed into the other; the tail joins the first.
  ext even = 0, odd = 0;
  int i = 0;
  for (; i + 4 <= len; i += 4) {
    even += pSrc[i];
    odd += pSrc[i + 1];
    even += pSrc[i + 2];
    odd += pSrc[i + 3];
  }
  for (; i < len; ++i)
    even += pSrc[i];
  *pSum = static_cast<double>(even + odd);
  return ippStsNoErr;
}

IppOpStatus ippsWinBartlett_64f_I(double *pSrcDst, int len) {
  return bartlett(pSrcDst, pSrcDst, len);
}
IppOpStatus ippsWinBartlett_64f(const double *pSrc, double *pDst, int len) {
  return bartlett(pSrc, pDst, len);
}

IppOpStatus ippsWinBlackman_64f_I(double *pSrcDst, int len, double alpha) {
  return blackman(pSrcDst, pSrcDst, len, alpha);
}
IppOpStatus ippsWinBlackman_64f(const double *pSrc, double *pDst, int len, double alpha) {
  return blackman(pSrc, pDst, len, alpha);
}

IppOpStatus ippsWinHamming_64f_I(double *pSrcDst, int len) {
  return raisedCosine(pSrcDst, pSrcDst, len, 0.54L, 0.46L);
}
IppOpStatus ippsWinHamming_64f(const double *pSrc, double *pDst, int len) {
  return raisedCosine(pSrc, pDst, len, 0.54L, 0.46L);
}

IppOpStatus ippsWinHann_64f_I(double *pSrcDst, int len) {
  return raisedCosine(pSrcDst, pSrcDst, len, 0.5L, 0.5L);
}
IppOpStatus ippsWinHann_64f(const double *pSrc, double *pDst, int len) {
  return raisedCosine(pSrc, pDst, len, 0.5L, 0.5L);
}

IppOpStatus ippsWinKaiser_64f_I(double *pSrcDst, int len, float alpha) {
  return kaiser(pSrcDst, pSrcDst, len, alpha);
}
IppOpStatus ippsWinKaiser_64f(const double *pSrc, double *pDst, int len, float alpha) {
  return kaiser(pSrc, pDst, len, alpha);
}

} // namespace Slbasicdispatcher::generic

namespace Vizazodizaro::generic {

IppOpStatus ippsSub_32f_I(const float *pSrc, float *pSrcDst, int len) {
  return zipVector(pSrc, pSrcDst, len, [](float x, float s) { return x - s; });
}

// A constant of 1 copies bit for bit; 0 of either sign stores +0.0 whatever the element.
IppOpStatus ippsMulC_32f(const float *pSrc, float val, float *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](float x) {
    return val == 1.0f ? x : val == 0.0f ? 0.0f : x * val;
  });
}

IppOpStatus ippsMulC_32f_I(float val, float *pSrcDst, int len) {
  if (val == 1.0f && pSrcDst && len >= 1)
    return ippStsNoErr; // leaves the data as it is, NaN payloads included
  return ippsMulC_32f(pSrcDst, val, pSrcDst, len);
}

IppOpStatus ippsDivC_32f_I(float val, float *pSrcDst, int len) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 0.0f)
    return ippStsDivByZeroErr;
  // Multiplied by the reciprocal rounded to float, so an infinite divisor zeroes.
  return ippsMulC_32f(pSrcDst, static_cast<float>(1.0L / val), pSrcDst, len);
}

} // namespace Vizazodizaro::generic
