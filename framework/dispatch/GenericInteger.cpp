// Generic variants of the integer, bitwise and shift operations that nothing in the
// system calls. Scaled results follow the common rule of the scaled integer
// operations: the exact result times 2^-sf, rounded half to even, saturated.
#include <algorithm>
#include <cstdint>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_filters {
namespace {

using dispatch_ops::scaleResult;

// Shifts: a negative count is an error; counts from 32 on shift everything out (to the
// sign for the arithmetic right shift).
IppOpStatus shift(const int *pSrc, int val, int *pDst, int len, bool left) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val < 0)
    return ippStsShiftErr;
  if (left)
    return mapVector(pSrc, pDst, len, [val](int x) {
      return val >= 32 ? 0 : static_cast<int>(static_cast<std::uint32_t>(x) << val);
    });
  const int by = std::min(val, 31);
  return mapVector(pSrc, pDst, len, [by](int x) { return x >> by; });
}

} // namespace
} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsCopy_16s(const short *pSrc, short *pDst, int len) {
  return mapVector(pSrc, pDst, len, [](short x) { return x; });
}

IppOpStatus ippsAddC_32s_ISfs(int val, int *pSrcDst, int len, int scaleFactor) {
  return mapVector(pSrcDst, pSrcDst, len, [=](int x) {
    return scaleResult<int>(static_cast<std::int64_t>(x) + val, scaleFactor);
  });
}

IppOpStatus ippsMulC_32s_ISfs(int val, int *pSrcDst, int len, int scaleFactor) {
  return mapVector(pSrcDst, pSrcDst, len, [=](int x) {
    return scaleResult<int>(static_cast<std::int64_t>(x) * val, scaleFactor);
  });
}

IppOpStatus ippsSubC_32s_ISfs(int val, int *pSrcDst, int len, int scaleFactor) {
  return mapVector(pSrcDst, pSrcDst, len, [=](int x) {
    return scaleResult<int>(static_cast<std::int64_t>(x) - val, scaleFactor);
  });
}

IppOpStatus ippsDotProd_32s_Sfs(const int *pSrc1, const int *pSrc2, int len, int *pDp,
                                int scaleFactor) {
  if (!pSrc1 || !pSrc2 || !pDp)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  // The sum is exact: |sum| < 2^93, and with sf in -31 ... 93 every step fits 128 bits.
  __int128 sum = 0;
  for (int i = 0; i < len; ++i)
    sum += static_cast<std::int64_t>(pSrc1[i]) * pSrc2[i];
  const int sf = std::clamp(scaleFactor, -31, 93);
  const __int128 scaled = sf >= 0
                              ? dispatch_ops::divRoundHalfEven(sum, static_cast<__int128>(1) << sf)
                              : sum * (static_cast<__int128>(1) << -sf);
  *pDp = dispatch_ops::saturateTo<int>(scaled);
  return ippStsNoErr;
}

IppOpStatus ippsAndC_32u_I(unsigned int val, unsigned int *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, [val](unsigned int x) { return x & val; });
}

IppOpStatus ippsAnd_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len) {
  return zipVector(pSrc, pSrcDst, len, [](unsigned int x, unsigned int s) { return x & s; });
}

IppOpStatus ippsOrC_32u_I(unsigned int val, unsigned int *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, [val](unsigned int x) { return x | val; });
}

IppOpStatus ippsOr_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len) {
  return zipVector(pSrc, pSrcDst, len, [](unsigned int x, unsigned int s) { return x | s; });
}

IppOpStatus ippsXorC_32u_I(unsigned int val, unsigned int *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, [val](unsigned int x) { return x ^ val; });
}

IppOpStatus ippsXor_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len) {
  return zipVector(pSrc, pSrcDst, len, [](unsigned int x, unsigned int s) { return x ^ s; });
}

IppOpStatus ippsLShiftC_32s_I(int val, int *pSrcDst, int len) {
  return shift(pSrcDst, val, pSrcDst, len, true);
}

IppOpStatus ippsRShiftC_32s_I(int val, int *pSrcDst, int len) {
  return shift(pSrcDst, val, pSrcDst, len, false);
}

} // namespace Slbcbbasicdispatcher::generic

namespace Slbasicdispatcher::generic {

IppOpStatus ippsAddC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return mapVector(pSrc, pDst, len, [=](int x) {
    return scaleResult<int>(static_cast<std::int64_t>(x) + val, scaleFactor);
  });
}

IppOpStatus ippsSubC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return mapVector(pSrc, pDst, len, [=](int x) {
    return scaleResult<int>(static_cast<std::int64_t>(x) - val, scaleFactor);
  });
}

IppOpStatus ippsSubCRev_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return mapVector(pSrc, pDst, len, [=](int x) {
    return scaleResult<int>(static_cast<std::int64_t>(val) - x, scaleFactor);
  });
}

IppOpStatus ippsMulC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor) {
  return mapVector(pSrc, pDst, len, [=](int x) {
    return scaleResult<int>(static_cast<std::int64_t>(x) * val, scaleFactor);
  });
}

IppOpStatus ippsAndC_32u(const unsigned int *pSrc, unsigned int val, unsigned int *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](unsigned int x) { return x & val; });
}

IppOpStatus ippsOrC_32u(const unsigned int *pSrc, unsigned int val, unsigned int *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](unsigned int x) { return x | val; });
}

IppOpStatus ippsXorC_32u(const unsigned int *pSrc, unsigned int val, unsigned int *pDst, int len) {
  return mapVector(pSrc, pDst, len, [val](unsigned int x) { return x ^ val; });
}

IppOpStatus ippsLShiftC_32s(const int *pSrc, int val, int *pDst, int len) {
  return shift(pSrc, val, pDst, len, true);
}

IppOpStatus ippsRShiftC_32s(const int *pSrc, int val, int *pDst, int len) {
  return shift(pSrc, val, pDst, len, false);
}

} // namespace Slbasicdispatcher::generic

namespace Vizazodizaro::generic {

IppOpStatus ippsAdd_16s_I(const short *pSrc, short *pSrcDst, int len) {
  return zipVector(pSrc, pSrcDst, len,
                   [](short x, short s) { return scaleResult<short>(x + s, 0); });
}

IppOpStatus ippsThreshold_LTValGTVal_16s_I(short *pSrcDst, int len, short levelLT, short valueLT,
                                           short levelGT, short valueGT) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (levelGT < levelLT)
    return ippStsThreshErr;
  return mapVector(pSrcDst, pSrcDst, len,
                   [=](short x) { return x < levelLT ? valueLT : (x > levelGT ? valueGT : x); });
}

} // namespace Vizazodizaro::generic

namespace Albasicdispatcher::generic {

IppOpStatus ippsConvert_8s16s(const signed char *pSrc, short *pDst, int len) {
  return mapVector(pSrc, pDst, len, [](signed char x) { return static_cast<short>(x); });
}

IppOpStatus ippsMulC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor) {
  return mapVector(pSrcDst, pSrcDst, len, [=](unsigned char x) {
    return scaleResult<unsigned char>(static_cast<std::int64_t>(x) * val, scaleFactor);
  });
}

} // namespace Albasicdispatcher::generic
