// Overlapping pairs by one sort and one sweep along an axis, say x: boxes ordered by the
// lower end x1 of their span [x1, x2] = [min(x, right), max(x, right)], each box meets the
// boxes after it in that order that start before it ends.
//
// The order is that of a key: x1 rounded to single precision, as 32 bits that sort as the
// floats do. Rounding never decreases as x1 grows, so x < x' gives key(x) <= key(x') (the
// one pair of floats whose bits sort apart from their values, -0.0 and 0.0, are equal, not
// less); boxes with equal keys come in any order. A box's walk goes on while the key of x1
// is at most end = key(x2).
//
// Why every overlapping pair is met once. Boxes with a NaN edge or an infinite x or y
// overlap nothing (can_overlap()) and never come here, so every edge is a number or an
// infinity, and so is every key. If a and b overlap, then b.x1 < a.x2 and a.x1 < b.x2
// (tree_sweep.cpp), so key(b.x1) <= end(a) and key(a.x1) <= end(b). Say a comes before b in the
// order: every box from a to b has a key of at most key(b.x1) <= end(a), so a's walk meets
// b, and b's walk, which looks only after b, does not meet a. Between two sets, a box of
// set 0 walks the boxes of set 1 whose key is >= its own, and a box of set 1 the boxes of
// set 0 whose key is > its own: of a pair, the box with the smaller key (the set-0 box if
// they are equal) walks past the other, by the same argument, and the other does not.
//
// Kept. A pair met is put to the overlap rule itself, which keeps exactly the pairs that
// overlap: those met only because rounding joined two keys, and pairs of boxes of zero or
// negative size walked by their spans, are dropped there.
//
// Cost: the sort (by digits, so linear, for many boxes), plus the pairs met, which the
// budget limits; the axis is the one along which a box seems to meet fewer others.
#include "axis_sweep.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "held.hpp"
#include "pair_writer.hpp"

namespace tessel::engine {
namespace {

constexpr size_t kSample = 256;
// Fewer keys than this are sorted by comparison, which is faster for them than by digits.
constexpr size_t kRadixFrom = 2048;
constexpr int kDigitBits = 11;
constexpr uint32_t kDigits = 1u << kDigitBits;

// x rounded to a float, as 32 bits that compare as the floats do (but -0.0 below 0.0).
// IEEE rounding takes a double beyond the floats' range to an infinity: still in order.
static_assert(std::numeric_limits<float>::is_iec559);
uint32_t key_of(double x) noexcept {
    uint32_t u = std::bit_cast<uint32_t>(static_cast<float>(x));
    return (u & 0x80000000u) != 0 ? ~u : u | 0x80000000u;
}

double start_of(const Bounds &b, bool y) {
    return y ? std::min(b.y, b.bottom) : std::min(b.x, b.right);
}
double end_of(const Bounds &b, bool y) {
    return y ? std::max(b.y, b.bottom) : std::max(b.x, b.right);
}

}  // namespace

AxisSweep::Estimate AxisSweep::estimate(const std::vector<Box> &boxes) {
    // As if the starts were spread evenly over their range: the mean extent against that
    // range, on each axis, over a sample of the boxes. Boxes crowded in a few places far
    // apart make it too low; then the budget hands the call on.
    size_t step = std::max<size_t>(1, boxes.size() / kSample);
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double low[2] = {kInf, kInf}, high[2] = {-kInf, -kInf}, extent[2] = {0, 0}, m = 0;
    for (size_t i = 0; i < boxes.size(); i += step, ++m) {
        Span s = span_of(boxes[i].bounds);
        low[0] = std::min(low[0], s.x1);
        high[0] = std::max(high[0], s.x1);
        extent[0] += s.x2 - s.x1;
        low[1] = std::min(low[1], s.y1);
        high[1] = std::max(high[1], s.y1);
        extent[1] += s.y2 - s.y1;
    }
    double n = static_cast<double>(boxes.size());
    Estimate best{false, kInf};
    for (int a = 0; a < 2; ++a) {
        double per_box = (n - 1) * (extent[a] / m) / (high[a] - low[a]);  // inf or NaN: not spread
        if (per_box < best.per_box) {
            best = {a == 1, per_box};
        }
    }
    return best;
}

// The boxes of `set` (every box for -1) in key order along x, or along y. Many keys are sorted by
// an LSD radix sort of (key, box) on 11-bit digits, skipping the digits that all keys share.
void AxisSweep::line_up(const std::vector<Box> &boxes, int set, bool y, Line &line) {
    keyed_.clear();
    for (uint32_t i = 0; i < boxes.size(); ++i) {
        if (set < 0 || boxes[i].set == set) {
            keyed_.push_back({key_of(start_of(boxes[i].bounds, y)), i});
        }
    }
    size_t m = keyed_.size();
    if (m < kRadixFrom) {
        std::sort(keyed_.begin(), keyed_.end(),
                  [](const Keyed &a, const Keyed &b) { return a.key < b.key; });
    } else {
        constexpr int kPasses = (32 + kDigitBits - 1) / kDigitBits;
        auto digit = [](uint32_t key, int d) { return (key >> (kDigitBits * d)) & (kDigits - 1); };
        counts_.assign(size_t{kPasses} * kDigits, 0);
        for (const Keyed &k : keyed_) {
            for (int d = 0; d < kPasses; ++d) {
                ++counts_[d * kDigits + digit(k.key, d)];
            }
        }
        scratch_.resize(m);
        for (int d = 0; d < kPasses; ++d) {
            uint32_t *count = &counts_[d * kDigits];
            if (count[digit(keyed_[0].key, d)] == m) {
                continue;
            }
            uint32_t sum = 0;
            for (uint32_t c = 0; c < kDigits; ++c) {
                sum += std::exchange(count[c], sum);
            }
            for (const Keyed &k : keyed_) {
                scratch_[count[digit(k.key, d)]++] = k;
            }
            keyed_.swap(scratch_);
        }
    }
    line.keys.resize(m);
    line.ends.resize(m);
    line.boxes.resize(m);
    for (size_t p = 0; p < m; ++p) {
        const Box &b = boxes[keyed_[p].box];
        line.keys[p] = keyed_[p].key;
        line.ends[p] = key_of(end_of(b.bounds, y));
        line.boxes[p] = b;
    }
}

size_t AxisSweep::bytes() const noexcept {
    size_t sum = held(keyed_) + held(scratch_) + held(counts_);
    for (const Line &line : lines_) {
        sum += held(line.keys) + held(line.ends) + held(line.boxes);
    }
    return sum;
}

void AxisSweep::release() noexcept {
    drop(keyed_);
    drop(scratch_);
    drop(counts_);
    for (Line &line : lines_) {
        drop(line.keys);
        drop(line.ends);
        drop(line.boxes);
    }
}

template <bool kBetween>
bool AxisSweep::pairs_in(const std::vector<Box> &boxes, bool y, const Budget &budget,
                         std::vector<Pair> &out) {
    PairWriter writer(out);
    size_t before = writer.end();
    size_t candidates = 0;
    auto walk = [&](const Box &a, uint32_t end, bool a_first, const Line &line, size_t from) {
        size_t to = from;
        while (to < line.keys.size() && line.keys[to] <= end) {
            ++to;
        }
        writer.test<kBetween>(a, a_first, from, to,
                              [&](size_t j) -> const Box & { return line.boxes[j]; });
        candidates += to - from;
        if (budget.allows(candidates, writer.end() - before)) {
            return true;
        }
        writer.cut(before);
        return false;
    };
    if constexpr (!kBetween) {
        Line &line = lines_[0];
        line_up(boxes, -1, y, line);
        for (size_t i = 0; i < line.boxes.size(); ++i) {
            if (!walk(line.boxes[i], line.ends[i], true, line, i + 1)) {
                return false;
            }
        }
    } else {
        line_up(boxes, 0, y, lines_[0]);
        line_up(boxes, 1, y, lines_[1]);
        for (int s = 0; s < 2; ++s) {
            const Line &own = lines_[s];
            const Line &other = lines_[1 - s];
            size_t from = 0;
            for (size_t i = 0; i < own.boxes.size(); ++i) {
                // Set 0 walks from the first key >= its own, set 1 from the first key > its own.
                uint32_t key = own.keys[i];
                while (from < other.keys.size() &&
                       (s == 0 ? other.keys[from] < key : other.keys[from] <= key)) {
                    ++from;
                }
                if (!walk(own.boxes[i], own.ends[i], s == 0, other, from)) {
                    return false;
                }
            }
        }
    }
    return true;
}

bool AxisSweep::pairs(const std::vector<Box> &boxes, bool between, bool y, const Budget &budget,
                      std::vector<Pair> &out) {
    return between ? pairs_in<true>(boxes, y, budget, out) : pairs_in<false>(boxes, y, budget, out);
}

}  // namespace tessel::engine
