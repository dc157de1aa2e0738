// How much work a fast pair kernel may do before it hands the call on.
#ifndef TESSEL_ENGINE_BUDGET_HPP
#define TESSEL_ENGINE_BUDGET_HPP

#include <cstddef>

namespace tessel::engine {

// A kernel that examines candidate pairs counts them and the pairs it keeps (hits), and
// gives up once the candidates exceed a floor proportional to the boxes plus a fixed
// number per hit: its work then stays within a constant factor of n + k, and what it gave
// up is no more than that.
struct Budget {
    size_t floor = 0;
    bool unlimited = true;

    static constexpr size_t kPerHit = 16;

    static Budget for_boxes(size_t n) noexcept { return {32 * n + 1024, false}; }
    bool allows(size_t candidates, size_t hits) const noexcept {
        return unlimited || candidates <= floor + kPerHit * hits;
    }
};

}  // namespace tessel::engine

#endif
