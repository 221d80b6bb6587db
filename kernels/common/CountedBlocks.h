// Book-keeping shared by the allocators of the filter operations and the FFT engine.
//
// Every block request passes Admit first: a byte count that does not fit the
// allocators' signed 32-bit argument is a failed allocation, never a wrapped one,
// and tests can fail the k-th request and count the blocks still live. The counters
// are atomics; arming a failure is meant for single-threaded tests.
#pragma once

#include <atomic>
#include <climits>

namespace dispatch {

class TCountedBlocks {
public:
    // True when a block of `bytes` may be taken now; counts the request either way.
    bool Admit(long long bytes)
    {
        ++requests_;
        if (bytes < 1 || bytes > INT_MAX)
            return false;
        int left = failAfter_.load();
        while (left >= 0) {
            if (failAfter_.compare_exchange_weak(left, left - 1))
                return left != 0;
        }
        return true;
    }
    void Taken(const void* p)
    {
        if (p)
            ++live_;
    }
    void Released() { --live_; }

    // The next `after` requests succeed, the one after fails; -1 disarms.
    void FailAfter(int after) { failAfter_.store(after < 0 ? -1 : after); }
    long Live() const { return live_.load(); }
    long Requests() const { return requests_.load(); }

private:
    std::atomic<int> failAfter_{-1};
    std::atomic<long> live_{0};
    std::atomic<long> requests_{0};
};

}  // namespace dispatch
