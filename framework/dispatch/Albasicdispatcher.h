// Vector operations on audio samples of 8, 16 and 32 bits. Call them by name,
// Albasicdispatcher::<operation>(...); each runs through its slot (Dispatch.h).
// Albasicdispatcher::SetUp_<operation> is an operation's set-up routine and
// Albasicdispatcher::generic::<operation> its generic variant, defined in the
// Generic*.cpp file of its concern. The operations themselves are listed in
// ALBASICDISPATCHER_CATALOGUE of DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"
#include "framework/dispatch/IppMalloc.h"

namespace Albasicdispatcher {

namespace generic {
ALBASICDISPATCHER_CATALOGUE(DISPATCH_DECLARE_GENERIC)
} // namespace generic

ALBASICDISPATCHER_CATALOGUE(DISPATCH_DEFINE_OPERATION)

// The aligned allocator, exported by this unit as well.
using dispatch::_ippFree;
using dispatch::_ippMalloc;

} // namespace Albasicdispatcher
