#include "kernels/fft-real/FFTAlloc.h"

#include "framework/dispatch/CountedBlocks.h"

#include <cstdlib>

namespace Slbcbbasicdispatcher {

namespace {
dispatch::TCountedBlocks blocks;
}  // namespace

void* fftMalloc(long long bytes)
{
    if (!blocks.Admit(bytes))
        return nullptr;
    void* p = std::aligned_alloc(32, static_cast<std::size_t>((bytes + 31) / 32 * 32));
    blocks.Taken(p);
    return p;
}

void fftFree(void* p)
{
    if (!p)
        return;
    blocks.Released();
    std::free(p);
}

void fftFailAfter(int after) { blocks.FailAfter(after); }

long fftLiveBlocks() { return blocks.Live(); }

long fftAllocRequests() { return blocks.Requests(); }

}  // namespace Slbcbbasicdispatcher
