#include "kernels/fft-real/FFTAlloc.h"

#include <atomic>
#include <climits>
#include <cstdlib>

namespace Slbcbbasicdispatcher {

namespace {
std::atomic<int> failAfter{-1};
std::atomic<long> liveBlocks{0};
std::atomic<long> requests{0};

bool injectedFailure()
{
    int left = failAfter.load();
    while (left >= 0) {
        if (failAfter.compare_exchange_weak(left, left - 1))
            return left == 0;
    }
    return false;
}
}  // namespace

void* fftMalloc(long long bytes)
{
    ++requests;
    if (bytes < 1 || bytes > INT_MAX)
        return nullptr;
    if (injectedFailure())
        return nullptr;
    void* p = std::aligned_alloc(32, static_cast<std::size_t>((bytes + 31) / 32 * 32));
    if (p)
        ++liveBlocks;
    return p;
}

void fftFree(void* p)
{
    if (!p)
        return;
    --liveBlocks;
    std::free(p);
}

void fftFailAfter(int after) { failAfter.store(after < 0 ? -1 : after); }

long fftLiveBlocks() { return liveBlocks.load(); }

long fftAllocRequests() { return requests.load(); }

}  // namespace Slbcbbasicdispatcher
