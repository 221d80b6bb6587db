// Front door of the vector-math dispatch: the five dispatcher units with their types and
// statuses, the aligned allocator, the numeric shims and the processor code.
#pragma once

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/IppMalloc.h"
#include "framework/dispatch/IppTypes.h"
#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/Libcdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"
