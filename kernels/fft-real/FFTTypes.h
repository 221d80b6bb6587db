// The value types and statuses that the FFT operations share with the dispatch catalogue.
#pragma once

#include <cstdint>

struct Ipp64fc {
    double re;
    double im;
};

namespace Slbcbbasicdispatcher {

enum : int {
    kFFTStsNoErr = 0,
    kFFTStsSizeErr = -6,
    kFFTStsNullPtrErr = -8,
    kFFTStsMemAllocErr = -9,
    kFFTStsOrderErr = -15,
    kFFTStsFlagErr = -16,
    kFFTStsContextMatchErr = -17,
};

}  // namespace Slbcbbasicdispatcher
