// Vector operations of the scope display. Array results of this unit are passed by
// reference to their first element. Call them by name,
// Slscopedispatcher::<operation>(...); each runs through its slot (Dispatch.h).
// Slscopedispatcher::SetUp_<operation> is an operation's set-up routine and
// Slscopedispatcher::generic::<operation> its generic variant, defined in the
// Generic*.cpp file of its concern. The operations themselves are listed in
// SLSCOPEDISPATCHER_CATALOGUE of DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"

namespace Slscopedispatcher {

namespace generic {
SLSCOPEDISPATCHER_CATALOGUE(DISPATCH_DECLARE_GENERIC)
} // namespace generic

SLSCOPEDISPATCHER_CATALOGUE(DISPATCH_DEFINE_OPERATION)

} // namespace Slscopedispatcher
