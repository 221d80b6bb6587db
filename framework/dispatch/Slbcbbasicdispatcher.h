// Vector operations of the real-buffer wrappers: real, complex and integer signal
// operations, correlation and convolution. Call them by name,
// Slbcbbasicdispatcher::<operation>(...); each runs through its slot (Dispatch.h).
// Slbcbbasicdispatcher::SetUp_<operation> is an operation's set-up routine and
// Slbcbbasicdispatcher::generic::<operation> its generic variant, defined in the
// Generic*.cpp file of its concern. The operations themselves are listed in
// SLBCBBASICDISPATCHER_CATALOGUE of DispatchCatalogue.h.
#pragma once

#include "framework/dispatch/Dispatch.h"

namespace Slbcbbasicdispatcher {

namespace generic {
SLBCBBASICDISPATCHER_CATALOGUE(DISPATCH_DECLARE_GENERIC)
} // namespace generic

SLBCBBASICDISPATCHER_CATALOGUE(DISPATCH_DEFINE_OPERATION)

} // namespace Slbcbbasicdispatcher
