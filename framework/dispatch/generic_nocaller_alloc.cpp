#include "framework/dispatch/generic_nocaller_alloc.h"

#include "framework/dispatch/CountedBlocks.h"
#include "framework/dispatch/IppMalloc.h"

#include <climits>

namespace dispatch_filters {

namespace {
dispatch::TCountedBlocks blocks;
}  // namespace

void* blockAlloc(long long bytes)
{
    if (!blocks.Admit(bytes))
        return nullptr;
    void* p = dispatch::_ippMalloc(static_cast<int>(bytes));
    blocks.Taken(p);
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
    blocks.Released();
    dispatch::_ippFree(p);
}

void blockFailAfter(int after) { blocks.FailAfter(after); }

long blockLiveCount() { return blocks.Live(); }

}  // namespace dispatch_filters
