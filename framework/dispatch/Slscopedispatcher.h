// Vector operations of the scope display. Array results here are passed by reference to their first element.
//
// Operations of unit Slscopedispatcher, called by name: Slscopedispatcher::<operation>(...). Each runs
// through its slot (see Dispatch.h); Slscopedispatcher::SetUp_<operation> is its set-up
// routine and Slscopedispatcher::generic::<operation> its generic variant, defined in the
// generic_*.cpp file of its concern. The list itself is SLSCOPEDISPATCHER_CATALOGUE in DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"

namespace Slscopedispatcher {

namespace generic {
SLSCOPEDISPATCHER_CATALOGUE(DISPATCH_DECLARE_GENERIC)
}  // namespace generic

SLSCOPEDISPATCHER_CATALOGUE(DISPATCH_DEFINE_OPERATION)

}  // namespace Slscopedispatcher
