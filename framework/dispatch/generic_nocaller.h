// Helpers shared by the generic variants of the operations that nothing in the
// system calls (complex, integer, window, region, generator, FIR and transform
// operations). Stateless; nothing here throws or locks.
#pragma once

#include "framework/dispatch/IppTypes.h"

namespace dispatch_filters {

// "Computed at extended precision, rounded once."
using ext = long double;

// A reference argument the caller may still pass as a null pointer dereference; read
// through a volatile so the test is not folded away.
template <class T>
bool isNullRef(T& ref)
{
    T* volatile p = &ref;
    return p == nullptr;
}

}  // namespace dispatch_filters
