// The wiring rows of kernels/audio-sample and kernels/audio-filter (see DISPATCH_VARIANT_WIRING).
#pragma once

#define DISPATCH_WIRING_AUDIO(W)
