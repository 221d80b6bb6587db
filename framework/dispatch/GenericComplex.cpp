// Generic variants of the complex-double element operations that nothing in the
// system calls. Each element's intermediate values
// are held in extended precision and rounded to double once, when stored; every
// complex-to-complex operation reads an element before writing it, so source and
// destination may be the same vector.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_filters {
namespace {

Ipp64fc mulC(Ipp64fc x, Ipp64fc v) {
  const ext re = static_cast<ext>(x.re) * v.re - static_cast<ext>(x.im) * v.im;
  const ext im = static_cast<ext>(x.re) * v.im + static_cast<ext>(x.im) * v.re;
  return {static_cast<double>(re), static_cast<double>(im)};
}

Ipp64fc sqrC(Ipp64fc x) {
  const ext re = (static_cast<ext>(x.re) - x.im) * (static_cast<ext>(x.re) + x.im);
  const ext im = (static_cast<ext>(x.re) * x.im) * 2;
  return {static_cast<double>(re), static_cast<double>(im)};
}

// Principal square root with the signs of zero parts kept as the halves give them.
Ipp64fc sqrtC(Ipp64fc x) {
  const ext a = 0.5L * x.re;
  const ext b = 0.5L * x.im;
  if (a > 0 || std::isnan(a)) {
    const double m = std::sqrt(static_cast<double>(a * a + b * b));
    const double t = std::sqrt(static_cast<double>(m + a));
    return {t, static_cast<double>(b / t)};
  }
  if (a == 0) {
    if (b < 0) {
      const double s = std::sqrt(static_cast<double>(-b));
      return {s, -s};
    }
    const double s = std::sqrt(static_cast<double>(b));
    return {s, s};
  }
  const double m = std::sqrt(static_cast<double>(a * a + b * b));
  double t = std::sqrt(static_cast<double>(m - a));
  if (!(b >= 0))
    t = -t;
  return {static_cast<double>(b / t), t};
}

// The factor of a division by val: conj(val) / |val|^2, or false when |val|^2 is 0 or NaN.
bool divFactor(Ipp64fc val, Ipp64fc &c) {
  const ext m = static_cast<ext>(val.re) * val.re + static_cast<ext>(val.im) * val.im;
  if (m == 0 || std::isnan(m))
    return false;
  const ext r = 1.0L / m;
  c = {static_cast<double>(val.re * r), static_cast<double>(-val.im * r)};
  return true;
}

int divC(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  Ipp64fc c;
  if (!divFactor(val, c))
    return ippStsDivByZeroErr;
  return mapVector(pSrc, pDst, len, [c](Ipp64fc x) { return mulC(x, c); });
}

// Magnitude clamp keeping the phase. The in-place and out-of-place forms differ only in
// how a zero element lifted to the level keeps its imaginary part and in NaN cases.
int thresholdC(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, double level, IppCmpOp relOp,
               bool inPlace) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (level < 0.0)
    return ippStsThreshNegLevelErr;
  const ext l2 = static_cast<ext>(level) * level;
  const bool upper = relOp == ippCmpGreater;
  for (int i = 0; i < len; ++i) {
    const Ipp64fc x = pSrc[i];
    const ext m = static_cast<ext>(x.re) * x.re + static_cast<ext>(x.im) * x.im;
    bool scale;
    Ipp64fc out = x;
    if (upper) {
      scale = inPlace ? (m > l2) : !(l2 >= m);
    } else if (inPlace) {
      scale = !(m >= l2);
      if (scale && (m == 0 || std::isnan(m))) {
        out.re = level;
        scale = false;
      }
    } else {
      scale = l2 > m;
      if (scale && m == 0) {
        out = {level, 0.0};
        scale = false;
      }
    }
    if (scale) {
      const ext s = std::sqrt(l2 / m);
      out = {static_cast<double>(x.re * s), static_cast<double>(x.im * s)};
    }
    pDst[i] = out;
  }
  return ippStsNoErr;
}

} // namespace
} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsReal_64fc(const Ipp64fc *pSrc, double *pDstRe, int len) {
  return mapVector(pSrc, pDstRe, len, [](Ipp64fc x) { return x.re; });
}

IppOpStatus ippsImag_64fc(const Ipp64fc *pSrc, double *pDstIm, int len) {
  return mapVector(pSrc, pDstIm, len, [](Ipp64fc x) { return x.im; });
}

IppOpStatus ippsRealToCplx_64f(const double *pSrcRe, const double *pSrcIm, Ipp64fc *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (!pSrcRe && !pSrcIm)
    return ippStsNullPtrErr;
  for (int i = 0; i < len; ++i)
    pDst[i] = {pSrcRe ? pSrcRe[i] : 0.0, pSrcIm ? pSrcIm[i] : 0.0};
  return ippStsNoErr;
}

IppOpStatus ippsCopy_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  return mapVector(pSrc, pDst, len, [](Ipp64fc x) { return x; });
}

IppOpStatus ippsAddC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, [val](Ipp64fc x) {
    return Ipp64fc{x.re + val.re, x.im + val.im};
  });
}

IppOpStatus ippsMulC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, [val](Ipp64fc x) { return mulC(x, val); });
}

IppOpStatus ippsDivC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  return divC(pSrcDst, val, pSrcDst, len);
}

IppOpStatus ippsSubC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, [val](Ipp64fc x) {
    return Ipp64fc{x.re - val.re, x.im - val.im};
  });
}

IppOpStatus ippsNormalize_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, Ipp64fc vSub,
                               double vDiv) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (!(std::fabs(vDiv) >= DBL_MIN))
    return ippStsDivByZeroErr;
  const ext r = 1.0L / vDiv;
  return mapVector(pSrc, pDst, len, [vSub, r](Ipp64fc x) {
    return Ipp64fc{static_cast<double>((x.re - static_cast<ext>(vSub.re)) * r),
                   static_cast<double>((x.im - static_cast<ext>(vSub.im)) * r)};
  });
}

IppOpStatus ippsDotProd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, int len, Ipp64fc *pDp) {
  if (!pSrc1 || !pSrc2 || !pDp)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  ext re = 0, im = 0;
  for (int i = 0; i < len; ++i) {
    const Ipp64fc x = pSrc1[i], y = pSrc2[i];
    re = (re + static_cast<ext>(x.re) * y.re) - static_cast<ext>(x.im) * y.im;
    im = (im + static_cast<ext>(x.re) * y.im) + static_cast<ext>(x.im) * y.re;
  }
  *pDp = {static_cast<double>(re), static_cast<double>(im)};
  return ippStsNoErr;
}

IppOpStatus ippsThreshold_64fc_I(Ipp64fc *pSrcDst, int len, double level, IppCmpOp relOp) {
  return thresholdC(pSrcDst, pSrcDst, len, level, relOp, true);
}

IppOpStatus ippsThreshold_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, double level,
                               IppCmpOp relOp) {
  return thresholdC(pSrc, pDst, len, level, relOp, false);
}

IppOpStatus ippsSqr_64fc_I(Ipp64fc *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, sqrC);
}

IppOpStatus ippsSqr_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  return mapVector(pSrc, pDst, len, sqrC);
}

IppOpStatus ippsSqrt_64fc_I(Ipp64fc *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, sqrtC);
}

IppOpStatus ippsSqrt_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  return mapVector(pSrc, pDst, len, sqrtC);
}

IppOpStatus ippsPhase_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, [](Ipp64fc x) { return std::atan2(x.im, x.re); });
}

IppOpStatus ippsMagnitude_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, [](Ipp64fc x) {
    return std::sqrt(
        static_cast<double>(static_cast<ext>(x.re) * x.re + static_cast<ext>(x.im) * x.im));
  });
}

IppOpStatus ippsPowerSpectr_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, [](Ipp64fc x) {
    return static_cast<double>(static_cast<ext>(x.re) * x.re + static_cast<ext>(x.im) * x.im);
  });
}

} // namespace Slbcbbasicdispatcher::generic

namespace Slbasicdispatcher::generic {

IppOpStatus ippsAddC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](Ipp64fc x) {
    return Ipp64fc{x.re + val.re, x.im + val.im};
  });
}

IppOpStatus ippsAdd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, Ipp64fc *pDst, int len) {
  // This one tests the length before the pointers.
  if (len < 1)
    return ippStsSizeErr;
  if (!pSrc1 || !pSrc2 || !pDst)
    return ippStsNullPtrErr;
  for (int i = 0; i < len; ++i)
    pDst[i] = {pSrc1[i].re + pSrc2[i].re, pSrc1[i].im + pSrc2[i].im};
  return ippStsNoErr;
}

IppOpStatus ippsSubC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](Ipp64fc x) {
    return Ipp64fc{x.re - val.re, x.im - val.im};
  });
}

IppOpStatus ippsSubCRev_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](Ipp64fc x) {
    return Ipp64fc{val.re - x.re, val.im - x.im};
  });
}

IppOpStatus ippsDivC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return divC(pSrc, val, pDst, len);
}

IppOpStatus ippsMulC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](Ipp64fc x) { return mulC(x, val); });
}

} // namespace Slbasicdispatcher::generic

namespace Vizazodizaro::generic {

IppOpStatus ippsMagnitude_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return Slbcbbasicdispatcher::generic::ippsMagnitude_64fc(pSrc, pDst, len);
}

IppOpStatus ippsConjCcs_64fc_I(Ipp64fc *pSrcDst, int len) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  for (int i = len / 2 + 1; i < len; ++i)
    pSrcDst[i] = {pSrcDst[len - i].re, -pSrcDst[len - i].im};
  return ippStsNoErr;
}

} // namespace Vizazodizaro::generic
