// The wiring rows of the processor members of the transforms (see DISPATCH_VARIANT_WIRING).
#pragma once

#define DISPATCH_WIRING_FFT(W)
