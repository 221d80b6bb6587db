// The one block counter of the filter states and the filter, correlation and
// convolution scratch blocks.
//
// Every processor class's set-up of a filter state takes its block here and every
// class's release gives it back here, so a state made at one code can be released by the
// release of any other: there is one allocator behind all of them. Tests arm failures
// and count live blocks through the same counter.
#pragma once

#include "kernels/common/CountedBlocks.h"

namespace kernels {

inline TCountedBlocks &FilterBlocks() {
  static TCountedBlocks blocks;
  return blocks;
}

} // namespace kernels
