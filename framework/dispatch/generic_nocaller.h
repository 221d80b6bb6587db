// Helpers shared by the generic variants of the operations that nothing in the
// system calls (complex, integer, window, region, generator, FIR and transform
// operations). Stateless; nothing here throws or locks.
#pragma once

#include "framework/dispatch/IppTypes.h"

namespace dispatch_filters {

// "Computed at extended precision, rounded once."
using ext = long double;

// dst[i] = f(src[i]) after the common tests (null pointer, then length below 1);
// src may equal dst.
template <class S, class D, class F>
IppOpStatus mapElements(const S* pSrc, D* pDst, int len, F f)
{
    if (!pSrc || !pDst)
        return ippStsNullPtrErr;
    if (len < 1)
        return ippStsSizeErr;
    for (int i = 0; i < len; ++i)
        pDst[i] = f(pSrc[i]);
    return ippStsNoErr;
}

// x = f(x, src[i]) in place, after the same tests.
template <class T, class F>
IppOpStatus zipElements(const T* pSrc, T* pSrcDst, int len, F f)
{
    if (!pSrc || !pSrcDst)
        return ippStsNullPtrErr;
    if (len < 1)
        return ippStsSizeErr;
    for (int i = 0; i < len; ++i)
        pSrcDst[i] = f(pSrcDst[i], pSrc[i]);
    return ippStsNoErr;
}

// A reference argument the caller may still pass as a null pointer dereference; read
// through a volatile so the test is not folded away.
template <class T>
bool isNullRef(T& ref)
{
    T* volatile p = &ref;
    return p == nullptr;
}

}  // namespace dispatch_filters
