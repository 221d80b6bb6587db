// Single-precision IIR filter state and the generic filter kernels.
//
// A state is one block of the aligned allocator: a 48-byte header, then the taps
// (b0..bn, a1..an, already divided by A0), then the delay line d0..dn with dn
// kept at 0. A state belongs to one caller and is used by one thread at a time;
// nothing here takes a lock.
#pragma once

#include <cstdint>

struct IIRState_32f {
  std::uint32_t id; // kIIRDirectId or kIIRBiQuadId
  float *pTaps;
  float *pDlyLine;
  int order;        // direct form: n; biquad cascade: number of delay values
  int reserved;     // 0
  int sectionCount; // read only by the vector filters of a biquad cascade
  int allocated;    // 1 when the block belongs to the state
};

namespace dispatch_filters {

inline constexpr std::uint32_t kIIRDirectId = 0x49493031u;
inline constexpr std::uint32_t kIIRBiQuadId = 0x49493032u;

// Header bytes reserved at the start of the block; the taps follow.
inline constexpr int kIIRHeaderBytes = 48;
static_assert(sizeof(IIRState_32f) <= kIIRHeaderBytes, "the IIR header must fit its 48 bytes");

// Block size for an order, or -1 when it does not fit the allocator's int argument.
long long iirStateBytes(int order);

} // namespace dispatch_filters
