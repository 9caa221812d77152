#include "model/random.h"

namespace selvane {

void Random::seedRandom(uint32_t elapsedMilliseconds) {
    state_ = elapsedMilliseconds & 0xFFFFu;
    nextRandom15();
}

int Random::nextRandom15() {
    state_ = state_ * 22695477u + 1u;  // unsigned: wraps modulo 2^32 by definition
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

double Random::uniformRandom() {
    const double step = 1.0 / 32768.0;
    const double r1 = nextRandom15();
    const double r2 = nextRandom15();
    const double r3 = nextRandom15();
    const double r4 = nextRandom15();
    return (((r1 * step + r2) * step + r3) * step + r4) * step;
}

}  // namespace selvane
