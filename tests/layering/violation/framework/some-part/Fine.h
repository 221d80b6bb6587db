// Downward includes only: this file alone would pass.
#pragma once

#include "kernels/common/IppTypes.h"
#include "platform/cpu/Cpuid.h"
