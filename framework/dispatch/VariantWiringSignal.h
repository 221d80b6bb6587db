// The wiring rows of kernels/signal (see DISPATCH_VARIANT_WIRING).
#pragma once

#define DISPATCH_WIRING_SIGNAL(W)
