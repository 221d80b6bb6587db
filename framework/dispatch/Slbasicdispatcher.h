// Basic vector operations of the signal buffers. Call them by name,
// Slbasicdispatcher::<operation>(...); each runs through its slot (Dispatch.h).
// Slbasicdispatcher::SetUp_<operation> is an operation's set-up routine and
// Slbasicdispatcher::generic::<operation> its generic variant, defined in the
// Generic*.cpp file of its concern. The operations themselves are listed in
// SLBASICDISPATCHER_CATALOGUE of DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"
#include "framework/dispatch/IppMalloc.h"

namespace Slbasicdispatcher {

namespace generic {
SLBASICDISPATCHER_CATALOGUE(DISPATCH_DECLARE_GENERIC)
} // namespace generic

SLBASICDISPATCHER_CATALOGUE(DISPATCH_DEFINE_OPERATION)

// The aligned allocator, exported by this unit as well.
using dispatch::_ippFree;
using dispatch::_ippMalloc;

} // namespace Slbasicdispatcher
