#pragma once
// The seeded generator of whole numbers from 0 to 32767 that the emitter and the noise tables
// draw from, in place of the C runtime's srand/rand (whose range is wider on this platform).
// Each sequence keeps its own state, so sequences on different threads never interleave and a
// given seed always yields the same numbers in the same order.
#include <cstdint>

class RandomSequence {
public:
    static constexpr int kMax = 32767;

    explicit RandomSequence(unsigned int seed = 1) { this->seed(seed); }

    // Restarts the sequence; equal seeds give equal sequences.
    void seed(unsigned int value) { state_ = value; }

    // The next whole number in [0, kMax].
    int next() {
        state_ = state_ * 1103515245u + 12345u;
        return int((state_ / 65536u) % 32768u);
    }

    // The next number in [0, 1): next() / (kMax + 1).
    double nextUnit() { return next() / double(kMax + 1); }

private:
    uint32_t state_ = 1;
};
