// Single-precision IIR filter state and the generic filter kernels.
//
// The state's layout, size and release are shared with the processor-class kernels
// (kernels/common/IIRState.h): the generic set-up builds the generic layout, whose
// fields every filter reads, and any class's release frees any class's state.
#pragma once

#include <cstdint>

#include "kernels/common/IIRState.h"

namespace dispatch_filters {

inline constexpr std::uint32_t kIIRDirectId = kernels::iir::kIIRDirectId;
inline constexpr std::uint32_t kIIRBiQuadId = kernels::iir::kIIRBiQuadId;

// Header bytes reserved at the start of the block; the taps follow.
inline constexpr int kIIRHeaderBytes = kernels::iir::kHeaderBytes;

// Block size of the generic layout for an order, or -1 when it does not fit the
// allocator's int argument.
inline long long iirStateBytes(int order) { return kernels::iir::StateBytes(order, false); }

} // namespace dispatch_filters
