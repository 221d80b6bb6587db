#include "framework/dispatch/generic_nocaller_alloc.h"

#include "framework/dispatch/IppMalloc.h"

#include <atomic>
#include <climits>

namespace dispatch_filters {

namespace {
std::atomic<int> failAfter{-1};
std::atomic<long> liveBlocks{0};

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

void* blockAlloc(long long bytes)
{
    if (bytes < 1 || bytes > INT_MAX)
        return nullptr;
    if (injectedFailure())
        return nullptr;
    void* p = dispatch::_ippMalloc(static_cast<int>(bytes));
    if (p)
        ++liveBlocks;
    return p;
}

double* blockAllocDoubles(long long count)
{
    if (count < 1 || count > INT_MAX / 8)
        return nullptr;
    return static_cast<double*>(blockAlloc(count * 8));
}

void blockFree(void* p)
{
    if (!p)
        return;
    --liveBlocks;
    dispatch::_ippFree(p);
}

void blockFailAfter(int after) { failAfter.store(after < 0 ? -1 : after); }

long blockLiveCount() { return liveBlocks.load(); }

}  // namespace dispatch_filters
