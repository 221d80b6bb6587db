// Vector operations of the audio components: filters, statistics, conversions, generators and transforms.
//
// Operations of unit Vizazodizaro, called by name: Vizazodizaro::<operation>(...). Each runs
// through its slot (see Dispatch.h); Vizazodizaro::SetUp_<operation> is its set-up
// routine and Vizazodizaro::generic::<operation> its generic variant, defined in the
// generic_*.cpp file of its concern. The list itself is VIZAZODIZARO_CATALOGUE in DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"
#include "framework/dispatch/IppMalloc.h"

namespace Vizazodizaro {

namespace generic {
VIZAZODIZARO_CATALOGUE(DISPATCH_DECLARE_GENERIC)
}  // namespace generic

VIZAZODIZARO_CATALOGUE(DISPATCH_DEFINE_OPERATION)

// The aligned allocator, exported by this unit as well.
using dispatch::_ippFree;
using dispatch::_ippMalloc;

}  // namespace Vizazodizaro
