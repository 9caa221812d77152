#pragma once
#include <cstdint>

namespace selvane {

// The program's own linear congruential generator; every random draw goes through it.
class Random {
public:
    // Seeds from the milliseconds elapsed since start-up (low 16 bits kept), then
    // discards one draw.
    void seedRandom(uint32_t elapsedMilliseconds);
    int nextRandom15();
    // Four draws, the first least significant: a multiple of 2^-60 in [0, 1].
    double uniformRandom();
    uint32_t state() const { return state_; }

private:
    uint32_t state_ = 0;
};

}  // namespace selvane
