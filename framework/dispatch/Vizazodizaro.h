// Vector operations of the audio components: filters, statistics, conversions, generators
// and transforms. Call them by name, Vizazodizaro::<operation>(...); each runs through its
// slot (Dispatch.h). Vizazodizaro::SetUp_<operation> is an operation's set-up routine and
// Vizazodizaro::generic::<operation> its generic variant, defined in the Generic*.cpp
// file of its concern. The operations themselves are listed in VIZAZODIZARO_CATALOGUE of
// DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"
#include "framework/dispatch/IppMalloc.h"

namespace Vizazodizaro {

namespace generic {
VIZAZODIZARO_CATALOGUE(DISPATCH_DECLARE_GENERIC)
} // namespace generic

VIZAZODIZARO_CATALOGUE(DISPATCH_DEFINE_OPERATION)

// The aligned allocator, exported by this unit as well.
using dispatch::_ippFree;
using dispatch::_ippMalloc;

} // namespace Vizazodizaro
