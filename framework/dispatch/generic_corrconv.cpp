// Generic variants of the real convolution and correlations. Short inputs are summed
// directly in extended precision; long ones go through the double-precision real FFT.
// A transform path takes its record, work area and scratch before it writes anything,
// so every failure leaves the destination as it was and releases what it took.
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/generic_corrconv.h"
#include "framework/dispatch/generic_nocaller.h"
#include "framework/dispatch/generic_nocaller_alloc.h"
#include "kernels/fft-real/FFTReal64.h"

#include <algorithm>
#include <cstdint>

namespace dispatch_filters {

namespace {

namespace fft = Slbcbbasicdispatcher;

// The smallest order of at least minOrder whose power of two reaches need. Orders past
// 30 are left for the transform set-up to refuse.
int orderFor(long long need, int minOrder)
{
    int o = minOrder;
    while (o < 62 && (1LL << o) < need)
        ++o;
    return o;
}

// One transform record (inverse scaled by 1/N), its work area and a scratch block of
// doubles, released together.
class FftScratch {
public:
    FftScratch() = default;
    FftScratch(const FftScratch&) = delete;
    FftScratch& operator=(const FftScratch&) = delete;
    ~FftScratch()
    {
        blockFree(data_);
        blockFree(work_);
        if (spec_)
            fft::ippsFFTFree_R_64f(spec_);
    }

    // A record of the smallest order of at least minOrder with 2^order >= need, and
    // scratch for `arrays` arrays of that length.
    IppOpStatus init(long long need, int minOrder, int arrays)
    {
        const int order = orderFor(need, minOrder);
        n_ = 1LL << std::min(order, 62);
        if (IppOpStatus st = fft::ippsFFTInitAlloc_R_64f(&spec_, order, fft::kFFTDivInvByN, 0); st != ippStsNoErr) {
            spec_ = nullptr;
            return st;
        }
        int workBytes = 0;
        if (IppOpStatus st = fft::ippsFFTGetBufSize_R_64f(spec_, &workBytes); st != ippStsNoErr)
            return st;
        // With the work area given, the transforms themselves never allocate or fail.
        if (workBytes > 0 && !(work_ = blockAlloc(workBytes)))
            return ippStsMemAllocErr;
        if (!(data_ = blockAllocDoubles(arrays * n_)))
            return ippStsMemAllocErr;
        return ippStsNoErr;
    }

    // Array i of the scratch, holding `before` zeros, then src, then zeros up to n().
    double* place(int i, long long before, const double* src, long long len) const
    {
        double* a = data_ + i * n_;
        std::fill(a, a + before, 0.0);
        std::copy(src, src + len, a + before);
        std::fill(a + before + len, a + n_, 0.0);
        return a;
    }

    long long n() const { return n_; }
    const FFTSpec_R_64f* spec() const { return spec_; }
    std::uint8_t* work() const { return static_cast<std::uint8_t*>(work_); }

private:
    FFTSpec_R_64f* spec_ = nullptr;
    void* work_ = nullptr;
    double* data_ = nullptr;
    long long n_ = 0;
};

void zero(double* p, long long n) { std::fill(p, p + std::max(0LL, n), 0.0); }

// a has la >= lb samples; pDst receives la + lb - 1 values, each sum stored as a double
// after every product. Signals of 4096 samples or more go in pieces of 4096, so one
// pass of the kernel touches at most 4096 + lb - 1 results.
void convDirect(const double* a, int la, const double* b, int lb, double* pDst)
{
    constexpr int kPiece = 4096;
    zero(pDst, lb - 1);
    for (long long p = 0; p < la; p += kPiece) {
        const int g = static_cast<int>(std::min<long long>(kPiece, la - p));
        zero(pDst + p + lb - 1, g);
        for (int i = 0; i < lb; ++i) {
            double* d = pDst + p + i;
            const ext bi = b[i];
            for (int j = 0; j < g; ++j)
                d[j] = static_cast<double>(d[j] + a[p + j] * bi);
        }
    }
}

// Perm layout product (R0, R(N/2), then complex pairs): pSrcDst := pSrc · pSrcDst.
void mulPerm(const double* pSrc, double* pSrcDst, long long n)
{
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
void mulPackConj(const double* pSrc, double* pSrcDst, long long n)
{
    pSrcDst[0] = static_cast<double>(static_cast<ext>(pSrcDst[0]) * pSrc[0]);
    if (n % 2 == 0)
        pSrcDst[n - 1] = static_cast<double>(static_cast<ext>(pSrcDst[n - 1]) * pSrc[n - 1]);
    for (long long i = 1; i + 1 < n; i += 2) {
        const ext dr = pSrcDst[i], di = pSrcDst[i + 1], sr = pSrc[i], si = pSrc[i + 1];
        pSrcDst[i] = static_cast<double>(sr * dr + si * di);
        pSrcDst[i + 1] = static_cast<double>(si * dr - sr * di);
    }
}

// The whole convolution through one transform of N >= la + lb - 1 points.
IppOpStatus convOneTransform(const double* a, int la, const double* b, int lb, double* pDst)
{
    const long long outLen = static_cast<long long>(la) + lb - 1;
    FftScratch s;
    if (IppOpStatus st = s.init(outLen, 2, 2); st != ippStsNoErr)
        return st;
    double* x = s.place(0, 0, a, la);
    double* y = s.place(1, 0, b, lb);
    fft::ippsFFTFwd_RToPerm_64f(x, x, s.spec(), s.work());
    fft::ippsFFTFwd_RToPerm_64f(y, y, s.spec(), s.work());
    mulPerm(x, y, s.n());
    fft::ippsFFTInv_PermToR_64f(y, y, s.spec(), s.work());
    std::copy(y, y + outLen, pDst);
    return ippStsNoErr;
}

// Overlap-save with blocks of M >= 4·lb points: the kernel spectrum is made once, each
// block yields M - lb + 1 new outputs.
IppOpStatus convBlocks(const double* a, int la, const double* b, int lb, double* pDst)
{
    const long long outLen = static_cast<long long>(la) + lb - 1;
    FftScratch s;
    // Order d + 1, d the smallest order of at least 2 with 2^d >= 2·lb.
    if (IppOpStatus st = s.init(4LL * lb, 3, 2); st != ippStsNoErr)
        return st;
    const long long m = s.n();
    const long long step = m - lb + 1;
    double* kernel = s.place(0, 0, b, lb);
    fft::ippsFFTFwd_RToPerm_64f(kernel, kernel, s.spec(), s.work());
    for (long long pos = 0; pos < outLen; pos += step) {
        const long long back = pos == 0 ? 0 : lb - 1;  // later blocks start lb - 1 samples back
        const long long count = std::min(la - pos + back, step + back);
        double* block = s.place(1, 0, a + pos - back, count);
        fft::ippsFFTFwd_RToPerm_64f(block, block, s.spec(), s.work());
        mulPerm(kernel, block, m);
        fft::ippsFFTInv_PermToR_64f(block, block, s.spec(), s.work());
        const long long take = std::min(step, outLen - pos);
        std::copy(block + back, block + back + take, pDst + pos);
    }
    return ippStsNoErr;
}

// Lags 0 .. n-1 of x with itself; every lag's sum is rounded once.
void autoCorrDirect(const double* x, int srcLen, double* pDst, int n)
{
    for (int k = 0; k < n; ++k) {
        ext sum = 0;
        for (int i = 0; i + k < srcLen; ++i)
            sum += static_cast<ext>(x[i]) * x[i + k];
        pDst[k] = static_cast<double>(sum);
    }
}

// Lags 0 .. n-1 through one transform of N >= 2·srcLen points (no circular overlap).
IppOpStatus autoCorrTransform(const double* x, int srcLen, double* pDst, int n)
{
    FftScratch s;
    if (IppOpStatus st = s.init(2LL * srcLen, 2, 1); st != ippStsNoErr)
        return st;
    double* data = s.place(0, 0, x, srcLen);
    fft::ippsFFTFwd_RToPack_64f(data, data, s.spec(), s.work());
    mulPackConj(data, data, s.n());
    fft::ippsFFTInv_PackToR_64f(data, data, s.spec(), s.work());
    std::copy(data, data + n, pDst);
    return ippStsNoErr;
}

enum class Norm { None, A, B };

IppOpStatus autoCorr(const double* pSrc, int srcLen, double* pDst, int dstLen, Norm norm)
{
    if (!pSrc || !pDst)
        return ippStsNullPtrErr;
    if (srcLen < 1 || dstLen < 1)
        return ippStsSizeErr;
    const int n = std::min(srcLen, dstLen);
    if (n < kAutoCorrDirectLags) {
        autoCorrDirect(pSrc, srcLen, pDst, n);
    } else if (IppOpStatus st = autoCorrTransform(pSrc, srcLen, pDst, n); st != ippStsNoErr) {
        return st;
    }
    zero(pDst + n, dstLen - n);
    if (norm == Norm::A) {
        const double f = static_cast<double>(1.0L / srcLen);
        if (f != 1.0)
            for (int k = 0; k < n; ++k)
                pDst[k] *= f;
    } else if (norm == Norm::B) {
        // Divided in place: no divisor vector, so nothing can fail after the lags are written.
        for (int k = 0; k < n; ++k)
            pDst[k] /= static_cast<double>(srcLen - k);
    }
    return ippStsNoErr;
}

// Lag k of the cross-correlation: sum of x1[i]·x2[i + k] over the overlap.
double crossLag(const double* x1, int len1, const double* x2, int len2, long long k)
{
    const long long from = std::max(0LL, -k);
    const long long to = std::min<long long>(len1, len2 - k);
    ext sum = 0;
    for (long long i = from; i < to; ++i)
        sum += static_cast<ext>(x1[i]) * x2[i + k];
    return static_cast<double>(sum);
}

}  // namespace

bool crossCorrTakesTransform(long long lags, int len1, int len2)
{
    const long long shorter = std::min(len1, len2);
    const long long longer = std::max(len1, len2);
    // lags·shorter / longer, truncated, compared with the estimate threshold exactly.
    return lags * shorter >= kCrossCorrEstimate * longer;
}

}  // namespace dispatch_filters

using namespace dispatch_filters;

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsConv_64f(const double* pSrc1, int len1, const double* pSrc2, int len2, double* pDst)
{
    if (!pSrc1 || !pSrc2 || !pDst)
        return ippStsNullPtrErr;
    if (len1 < 1 || len2 < 1)
        return ippStsSizeErr;
    // The longer input is the signal; with equal lengths the first one.
    const double* a = len1 >= len2 ? pSrc1 : pSrc2;
    const double* b = len1 >= len2 ? pSrc2 : pSrc1;
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

IppOpStatus ippsAutoCorr_64f(const double* pSrc, int srcLen, double* pDst, int dstLen)
{
    return autoCorr(pSrc, srcLen, pDst, dstLen, Norm::None);
}

IppOpStatus ippsAutoCorr_NormA_64f(const double* pSrc, int srcLen, double* pDst, int dstLen)
{
    return autoCorr(pSrc, srcLen, pDst, dstLen, Norm::A);
}

IppOpStatus ippsAutoCorr_NormB_64f(const double* pSrc, int srcLen, double* pDst, int dstLen)
{
    return autoCorr(pSrc, srcLen, pDst, dstLen, Norm::B);
}

IppOpStatus ippsCrossCorr_64f(const double* pSrc1, int src1Len, const double* pSrc2, int src2Len, double* pDst,
                              int dstLen, int lowLag)
{
    if (!pSrc1 || !pSrc2 || !pDst)
        return ippStsNullPtrErr;
    if (src1Len < 1 || src2Len < 1 || dstLen < 1)
        return ippStsSizeErr;

    // Requested lags lowLag .. lowLag + dstLen - 1; only -(len1-1) .. len2-1 can be nonzero.
    const long long firstLag = std::max<long long>(lowLag, -(static_cast<long long>(src1Len) - 1));
    const long long endLag = std::min<long long>(static_cast<long long>(lowLag) + dstLen, src2Len);
    const long long lead = std::min<long long>(firstLag - lowLag, dstLen);
    const long long lags = std::max(0LL, endLag - firstLag);

    double* mid = pDst + lead;
    if (lags > 0 && crossCorrTakesTransform(lags, src1Len, src2Len)) {
        // Everything the transform needs is taken and computed before the first write.
        const long long full = static_cast<long long>(src1Len) + src2Len - 1;
        FftScratch s;
        if (IppOpStatus st = s.init(full, 2, 2); st != ippStsNoErr)
            return st;
        double* a1 = s.place(0, 0, pSrc1, src1Len);
        double* a2 = s.place(1, src1Len - 1, pSrc2, src2Len);
        fft::ippsFFTFwd_RToPack_64f(a1, a1, s.spec(), s.work());
        fft::ippsFFTFwd_RToPack_64f(a2, a2, s.spec(), s.work());
        mulPackConj(a2, a1, s.n());
        fft::ippsFFTInv_PackToR_64f(a1, a2, s.spec(), s.work());
        // a2[t] is the lag t - (len1 - 1).
        const long long off = firstLag + src1Len - 1;
        std::copy(a2 + off, a2 + off + lags, mid);
    } else {
        for (long long j = 0; j < lags; ++j)
            mid[j] = crossLag(pSrc1, src1Len, pSrc2, src2Len, firstLag + j);
    }
    zero(pDst, lead);
    zero(mid + lags, dstLen - lead - lags);
    return ippStsNoErr;
}

}  // namespace Slbcbbasicdispatcher::generic
