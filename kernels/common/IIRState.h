// The single-precision IIR filter state shared by the set-ups, filters and releases of
// every processor class.
//
// A state is one block of the filter-block counter (FilterBlocks.h), 32-byte aligned:
// this 64-byte header, then the taps b0..bn, a1..an (already divided by A0), then the
// delay line d0..dn with dn kept 0. The vector layout adds, after the delay line, the
// tap vectors (bk in four lanes, k = 0..n), the block-response vectors C_0..C_(n-1),
// H_0, H_1, H_2 and a work area of 1024 floats for the block method. The generic layout
// leaves those pointers null, which is how a vector filter tells the layouts apart.
// A state belongs to one caller and is used by one thread at a time; nothing here takes
// a lock.
#pragma once

#include <cstdint>

#include "kernels/common/FilterBlocks.h"
#include "kernels/common/IppTypes.h"

struct IIRState_32f {
  std::uint32_t id; // kIIRDirectId or kIIRBiQuadId
  int order;        // direct form: n; biquad cascade: number of delay values
  float *pTaps;
  float *pDlyLine;
  float *pTapVectors;   // vector layout: n + 1 vectors of four floats; else null
  float *pBlockVectors; // vector layout: C_0 .. C_(n-1), H_0, H_1, H_2; else null
  float *pStepVectors;  // read only for biquad cascades, which nothing here builds
  float *pWork;         // vector layout: 1024 floats of scratch; else null
  int sectionCount;     // read only for biquad cascades
  int allocated;        // 1 when the block belongs to the state
};

namespace kernels::iir {

inline constexpr std::uint32_t kIIRDirectId = 0x49493031u;
inline constexpr std::uint32_t kIIRBiQuadId = 0x49493032u;

// Bytes before the taps; the taps and every later area start on 16-byte boundaries.
inline constexpr int kHeaderBytes = 64;
static_assert(sizeof(IIRState_32f) == kHeaderBytes, "the IIR header has 64 bytes");

// Samples per block of the block method, and so floats in the work area.
inline constexpr int kBlockSamples = 1024;
// Unused bytes at the end of a vector-layout block.
inline constexpr int kVectorSpareBytes = 40;

inline constexpr long long Align16(long long n) { return (n + 15) / 16 * 16; }

inline constexpr long long TapsBytes(long long n) { return Align16(4 * (2 * n + 1)); }
inline constexpr long long DelayBytes(long long n) { return Align16(4 * (n + 1)); }

// Block size of a state of order n (n >= 0) in either layout, or -1 when it does not fit
// the allocator's signed 32-bit count (so huge orders fail as no memory, never wrap).
inline constexpr long long StateBytes(int order, bool vectorLayout) {
  if (order < 0)
    return -1;
  const long long n = order;
  long long bytes = kHeaderBytes + TapsBytes(n) + DelayBytes(n);
  if (vectorLayout)
    bytes += 16 * (n + 1) + 16 * (n + 3) + 4 * kBlockSamples + kVectorSpareBytes;
  return bytes > INT32_MAX ? -1 : bytes;
}
static_assert(StateBytes(0, false) == 96 && StateBytes(2, false) == 112);
static_assert(StateBytes(2, true) == 4376);

// Lays out the header of a fresh block: identifier, order, taps and delay pointers, the
// vector pointers in the vector layout (null otherwise), allocated flag 0.
inline IIRState_32f *LayOut(void *block, int order, std::uint32_t id, bool vectorLayout) {
  auto *base = static_cast<unsigned char *>(block);
  auto *s = static_cast<IIRState_32f *>(block);
  *s = IIRState_32f{};
  const long long n = order;
  s->id = id;
  s->order = order;
  s->pTaps = reinterpret_cast<float *>(base + kHeaderBytes);
  s->pDlyLine = reinterpret_cast<float *>(base + kHeaderBytes + TapsBytes(n));
  if (vectorLayout) {
    s->pTapVectors = s->pDlyLine + DelayBytes(n) / 4;
    s->pBlockVectors = s->pTapVectors + 4 * (n + 1);
    s->pWork = s->pBlockVectors + 4 * (n + 3);
  }
  return s;
}

// The release every class shares: -8 for null, -17 for a foreign identifier, else the
// block goes back to the filter-block counter when the state owns it, and 0.
inline IppOpStatus Release(IIRState_32f *pState) {
  if (!pState)
    return ippStsNullPtrErr;
  if (pState->id != kIIRDirectId && pState->id != kIIRBiQuadId)
    return ippStsContextMatchErr;
  if (pState->allocated)
    FilterBlocks().Free(pState);
  return ippStsNoErr;
}

} // namespace kernels::iir
