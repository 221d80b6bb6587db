// A platform layer that reaches up into a kernel.
#pragma once

#include <vector>

#include "kernels/fft-real/FFTReal64.h"
