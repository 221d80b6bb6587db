// Vector operations of the real-buffer wrappers: real, complex and integer signal operations, correlation and convolution.
//
// Operations of unit Slbcbbasicdispatcher, called by name: Slbcbbasicdispatcher::<operation>(...). Each runs
// through its slot (see Dispatch.h); Slbcbbasicdispatcher::SetUp_<operation> is its set-up
// routine and Slbcbbasicdispatcher::generic::<operation> its generic variant, defined in the
// generic_*.cpp file of its concern. The list itself is SLBCBBASICDISPATCHER_CATALOGUE in DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"

namespace Slbcbbasicdispatcher {

namespace generic {
SLBCBBASICDISPATCHER_CATALOGUE(DISPATCH_DECLARE_GENERIC)
}  // namespace generic

SLBCBBASICDISPATCHER_CATALOGUE(DISPATCH_DEFINE_OPERATION)

}  // namespace Slbcbbasicdispatcher
