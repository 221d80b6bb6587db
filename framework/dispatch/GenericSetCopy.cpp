// Generic fills, zero fills, copies and moves of vectors and one-channel regions.
//
// Values are stored bit for bit (a negative zero or a NaN fill value is written
// unchanged). Region rows are reached through byte steps that need not be multiples of
// the element size, so region rows are read and written through byte copies.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"

namespace {

template <class T> IppOpStatus setVector(T value, T *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  std::fill_n(pDst, len, value);
  return ippStsNoErr;
}

template <class T> IppOpStatus zeroVector(T *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  std::memset(static_cast<void *>(pDst), 0, sizeof(T) * static_cast<std::size_t>(len));
  return ippStsNoErr;
}

// Copies are documented for ranges that do not overlap; moving keeps an overlapping call
// well defined instead of undefined.
template <class T> IppOpStatus copyVector(const T *pSrc, T *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  std::memmove(static_cast<void *>(pDst), pSrc, sizeof(T) * static_cast<std::size_t>(len));
  return ippStsNoErr;
}

template <class T> IppOpStatus setRegion(T value, T *pDst, int dstStep, tagSIZE roi) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  if (dstStep < 1)
    return ippStsStepErr;
  auto *row = reinterpret_cast<unsigned char *>(pDst);
  for (int y = 0; y < roi.height; ++y, row += dstStep) {
    for (int x = 0; x < roi.width; ++x)
      std::memcpy(row + static_cast<std::size_t>(x) * sizeof(T), &value, sizeof(T));
  }
  return ippStsNoErr;
}

// Any step is taken as it is: 0 repeats a row, a negative step walks upwards.
template <class T>
IppOpStatus copyRegion(const T *pSrc, int srcStep, T *pDst, int dstStep, tagSIZE roi) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  auto *src = reinterpret_cast<const unsigned char *>(pSrc);
  auto *dst = reinterpret_cast<unsigned char *>(pDst);
  const std::size_t rowBytes = static_cast<std::size_t>(roi.width) * sizeof(T);
  for (int y = 0; y < roi.height; ++y, src += srcStep, dst += dstStep)
    std::memmove(dst, src, rowBytes);
  return ippStsNoErr;
}

} // namespace

namespace Slbasicdispatcher::generic {

IppOpStatus ippsSet_8u(unsigned char val, unsigned char *pDst, int len) {
  return setVector(val, pDst, len);
}
IppOpStatus ippsSet_32s(int val, int *pDst, int len) { return setVector(val, pDst, len); }
IppOpStatus ippsSet_64f(double val, double *pDst, int len) { return setVector(val, pDst, len); }
IppOpStatus ippsSet_64fc(Ipp64fc val, Ipp64fc *pDst, int len) { return setVector(val, pDst, len); }

IppOpStatus ippsZero_8u(unsigned char *pDst, int len) { return zeroVector(pDst, len); }
IppOpStatus ippsZero_16s(short *pDst, int len) { return zeroVector(pDst, len); }
IppOpStatus ippsZero_32s(int *pDst, int len) { return zeroVector(pDst, len); }
IppOpStatus ippsZero_64f(double *pDst, int len) { return zeroVector(pDst, len); }
IppOpStatus ippsZero_64fc(Ipp64fc *pDst, int len) { return zeroVector(pDst, len); }

IppOpStatus ippsCopy_8u(const unsigned char *pSrc, unsigned char *pDst, int len) {
  return copyVector(pSrc, pDst, len);
}
IppOpStatus ippsCopy_64f(const double *pSrc, double *pDst, int len) {
  return copyVector(pSrc, pDst, len);
}
IppOpStatus ippsMove_64f(const double *pSrc, double *pDst, int len) {
  return copyVector(pSrc, pDst, len);
}

} // namespace Slbasicdispatcher::generic

namespace Albasicdispatcher::generic {

IppOpStatus ippsSet_16s(short val, short *pDst, int len) { return setVector(val, pDst, len); }

IppOpStatus ippiSet_8u_C1R(unsigned char val, unsigned char *pDst, int dstStep, tagSIZE roi) {
  return setRegion(val, pDst, dstStep, roi);
}
IppOpStatus ippiSet_16s_C1R(short val, short *pDst, int dstStep, tagSIZE roi) {
  return setRegion(val, pDst, dstStep, roi);
}
IppOpStatus ippiSet_32s_C1R(int val, int *pDst, int dstStep, tagSIZE roi) {
  return setRegion(val, pDst, dstStep, roi);
}

IppOpStatus ippiCopy_8u_C1R(const unsigned char *pSrc, int srcStep, unsigned char *pDst,
                            int dstStep, tagSIZE roi) {
  return copyRegion(pSrc, srcStep, pDst, dstStep, roi);
}
IppOpStatus ippiCopy_16s_C1R(const short *pSrc, int srcStep, short *pDst, int dstStep,
                             tagSIZE roi) {
  return copyRegion(pSrc, srcStep, pDst, dstStep, roi);
}
IppOpStatus ippiCopy_32s_C1R(const int *pSrc, int srcStep, int *pDst, int dstStep, tagSIZE roi) {
  return copyRegion(pSrc, srcStep, pDst, dstStep, roi);
}

} // namespace Albasicdispatcher::generic
