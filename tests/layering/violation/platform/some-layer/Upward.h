// A platform layer that reaches up into a kernel.
#pragma once

#include "kernels/fft-real/FFTReal64.h"
#include <vector>
