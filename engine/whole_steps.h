#pragma once
#include <cstdint>

namespace selvane {

// Movement counted in whole steps of `unit` (pixels of a drag, wheel units of a notch): what is
// left over is kept for the next movement, so that slow movements add up.
class WholeSteps {
public:
    explicit WholeSteps(int unit) : unit_(unit) {}
    // The whole steps this movement completes, signed like the movement.
    int add(int amount) {
        const int64_t total = int64_t{rest_} + amount;
        const int64_t steps = total / unit_;  // toward zero, so both directions alike
        rest_ = static_cast<int>(total - steps * unit_);
        return static_cast<int>(steps);
    }
    void reset() { rest_ = 0; }

private:
    int unit_;
    int rest_ = 0;
};

}  // namespace selvane
