// Overlapping pairs by a sweep along x over the boxes' spans, with the y extents of the
// boxes still open kept in two structures that report what a new box meets.
//
// Which boxes can overlap, and why the sweep finds every pair. A box with a NaN edge
// overlaps nothing: each of its four edges takes part in one of the four comparisons, and
// every comparison with NaN is false. Of the others, take the span of a box on each axis,
// [min(x, right), max(x, right)] on x. If a and b overlap, then on x
//     a.x1 <= a.x < b.right <= b.x2   and   b.x1 <= b.x < a.right <= a.x2,
// so their spans overlap as open intervals, and likewise on y. Finding every pair whose
// spans overlap on both axes and keeping those that pass the rule gives exactly the pairs
// that the rule accepts. When every width and height is positive the spans are the edges
// and the rule is span overlap itself, so nothing found is dropped: O(n log n + k). Only
// boxes of zero or negative width or height add pairs that are found and dropped: such a
// box overlaps a positive one only if its span lies strictly inside the other's, and two
// boxes with no positive extent on the same axis never overlap
// (a.x < b.right <= b.x < a.right <= a.x).
//
// The sweep takes boxes by ascending x1. A box is open from its turn until the sweep
// passes its x2, so when box b comes, the open boxes are the earlier a with b.x1 < a.x2:
// all a whose x spans overlap b's. Among them the y spans overlap b's exactly when
//   (1) b.y1 <= a.y1 < b.y2 (a starts inside b; the rule drops the case a.y1 = a.y2 = b.y1),
//   (2) a.y1 < b.y1 < a.y2  (b starts inside a),
// two cases that exclude each other. Case 1 is a range of the open boxes ordered by y1,
// case 2 a stabbing query of an interval tree; both report in time proportional to what
// they find, plus a logarithm.
#include "sweep.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>

namespace tessel::collide {
namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

struct Span {
    double x1, x2, y1, y2;
};

// A set of positions 0..n-1 with a summary word per 64 words, so the next member after a
// position is found in a few word operations.
class Bits {
  public:
    explicit Bits(size_t n) {
        do {
            n = (n + 63) / 64;
            levels_.emplace_back(std::max<size_t>(n, 1), 0);
        } while (n > 1);
    }
    void insert(size_t i) {
        for (auto &level : levels_) {
            uint64_t &word = level[i >> 6];
            bool had = word != 0;
            word |= uint64_t{1} << (i & 63);
            if (had) {
                return;
            }
            i >>= 6;
        }
    }
    void erase(size_t i) {
        for (auto &level : levels_) {
            uint64_t &word = level[i >> 6];
            word &= ~(uint64_t{1} << (i & 63));
            if (word != 0) {
                return;
            }
            i >>= 6;
        }
    }
    // The first member at or after i, or kEnd.
    size_t next(size_t i) const { return next(0, i); }
    static constexpr size_t kEnd = std::numeric_limits<size_t>::max();

  private:
    size_t next(size_t l, size_t i) const {
        const auto &level = levels_[l];
        size_t w = i >> 6;
        if (w >= level.size()) {
            return kEnd;
        }
        uint64_t word = level[w] & (~uint64_t{0} << (i & 63));
        if (word != 0) {
            return (w << 6) + std::countr_zero(word);
        }
        if (l + 1 == levels_.size()) {
            return kEnd;
        }
        size_t up = next(l + 1, w + 1);
        return up == kEnd ? kEnd : (up << 6) + std::countr_zero(level[up]);
    }
    std::vector<std::vector<uint64_t>> levels_;
};

// A binary min-heap of boxes by key[box] that knows where each box sits, so that any box
// can leave it; reporting every box below a bound visits only those and their children.
struct Heap {
    std::vector<uint32_t> items;

    void push(uint32_t box, const double *key, uint32_t *where) {
        items.push_back(box);
        up(items.size() - 1, key, where);
    }
    void erase(uint32_t box, const double *key, uint32_t *where) {
        size_t i = where[box];
        uint32_t last = items.back();
        items.pop_back();
        if (i == items.size()) {
            return;
        }
        place(i, last, where);
        up(i, key, where);
        down(i, key, where);
    }
    template <class F> void below(double bound, const double *key, F &&f, size_t i = 0) const {
        if (i < items.size() && key[items[i]] < bound) {
            f(items[i]);
            below(bound, key, f, 2 * i + 1);
            below(bound, key, f, 2 * i + 2);
        }
    }

  private:
    void place(size_t i, uint32_t box, uint32_t *where) {
        items[i] = box;
        where[box] = static_cast<uint32_t>(i);
    }
    void up(size_t i, const double *key, uint32_t *where) {
        uint32_t box = items[i];
        while (i > 0 && key[box] < key[items[(i - 1) / 2]]) {
            place(i, items[(i - 1) / 2], where);
            i = (i - 1) / 2;
        }
        place(i, box, where);
    }
    void down(size_t i, const double *key, uint32_t *where) {
        uint32_t box = items[i];
        for (;;) {
            size_t c = 2 * i + 1;
            if (c >= items.size()) {
                break;
            }
            if (c + 1 < items.size() && key[items[c + 1]] < key[items[c]]) {
                ++c;
            }
            if (!(key[items[c]] < key[box])) {
                break;
            }
            place(i, items[c], where);
            i = c;
        }
        place(i, box, where);
    }
};

// The open boxes of one set: ordered by y1 for case 1, in an interval tree for case 2.
// The tree has a node per gap between consecutive distinct y values of the set, arranged
// by bisection; a box with y1 < y2 lives at the first node whose gap lies in its span.
// Each node keeps its open boxes in a heap by y1 and one by -y2.
class Open {
  public:
    Open(const std::vector<Span> &spans, const std::vector<uint32_t> &members)
        : spans_(spans), slot_of_(spans.size(), kNone), node_of_(spans.size(), kNone),
          open_(members.size()) {
        by_y1_ = members;
        std::sort(by_y1_.begin(), by_y1_.end(),
                  [&](uint32_t a, uint32_t b) { return spans[a].y1 < spans[b].y1; });
        for (uint32_t s = 0; s < by_y1_.size(); ++s) {
            slot_of_[by_y1_[s]] = s;
            y1s_.push_back(spans[by_y1_[s]].y1);
        }
        for (uint32_t box : members) {
            values_.push_back(spans[box].y1);
            values_.push_back(spans[box].y2);
        }
        std::sort(values_.begin(), values_.end());
        values_.erase(std::unique(values_.begin(), values_.end()), values_.end());
        nodes_.resize(values_.empty() ? 0 : values_.size() - 1);
        for (uint32_t box : members) {
            node_of_[box] = node_for(box);
        }
        low_.resize(spans.size());
        minus_high_.resize(spans.size());
        where_low_.resize(spans.size());
        where_high_.resize(spans.size());
        for (uint32_t box : members) {
            low_[box] = spans[box].y1;
            minus_high_[box] = -spans[box].y2;
        }
    }

    void insert(uint32_t box) {
        open_.insert(slot_of_[box]);
        if (uint32_t n = node_of_[box]; n != kNone) {
            nodes_[n].low.push(box, low_.data(), where_low_.data());
            nodes_[n].high.push(box, minus_high_.data(), where_high_.data());
        }
    }
    void erase(uint32_t box) {
        open_.erase(slot_of_[box]);
        if (uint32_t n = node_of_[box]; n != kNone) {
            nodes_[n].low.erase(box, low_.data(), where_low_.data());
            nodes_[n].high.erase(box, minus_high_.data(), where_high_.data());
        }
    }

    // Calls f for each open box that case 1 or case 2 gives for the span s.
    template <class F> void meet(const Span &s, F &&f) const {
        size_t from = std::lower_bound(y1s_.begin(), y1s_.end(), s.y1) - y1s_.begin();
        size_t to = std::lower_bound(y1s_.begin(), y1s_.end(), s.y2) - y1s_.begin();
        for (size_t i = open_.next(from); i < to; i = open_.next(i + 1)) {
            f(by_y1_[i]);
        }
        // Stabbing at q = s.y1: a node's boxes all span its gap; left of the gap they are
        // the ones with y1 < q, right of it those with y2 > q; one path down the tree.
        double q = s.y1;
        ptrdiff_t lo = 0;
        ptrdiff_t hi = static_cast<ptrdiff_t>(nodes_.size()) - 1;
        while (lo <= hi) {
            ptrdiff_t mid = lo + (hi - lo) / 2;
            const Node &node = nodes_[mid];
            if (q <= values_[mid]) {
                node.low.below(q, low_.data(), f);
                hi = mid - 1;
            } else {
                node.high.below(-q, minus_high_.data(), f);
                lo = mid + 1;
            }
        }
    }

  private:
    struct Node {
        Heap low, high;
    };

    uint32_t node_for(uint32_t box) const {
        const Span &s = spans_[box];
        if (!(s.y1 < s.y2)) {
            return kNone;
        }
        ptrdiff_t p = std::lower_bound(values_.begin(), values_.end(), s.y1) - values_.begin();
        ptrdiff_t q = std::lower_bound(values_.begin(), values_.end(), s.y2) - values_.begin();
        ptrdiff_t lo = 0;
        ptrdiff_t hi = static_cast<ptrdiff_t>(nodes_.size()) - 1;
        for (;;) {
            ptrdiff_t mid = lo + (hi - lo) / 2;
            if (q <= mid) {
                hi = mid - 1;
            } else if (p > mid) {
                lo = mid + 1;
            } else {
                return static_cast<uint32_t>(mid);
            }
        }
    }

    const std::vector<Span> &spans_;
    std::vector<uint32_t> by_y1_;
    std::vector<double> y1s_;
    std::vector<uint32_t> slot_of_;
    std::vector<double> values_;
    std::vector<Node> nodes_;
    std::vector<uint32_t> node_of_;
    std::vector<double> low_, minus_high_;
    std::vector<uint32_t> where_low_, where_high_;
    Bits open_;
};

bool has_nan(const Bounds &b) {
    return std::isnan(b.x) || std::isnan(b.right) || std::isnan(b.y) || std::isnan(b.bottom);
}

}  // namespace

void find_overlaps(const std::vector<Box> &all, bool between, std::vector<Pair> &out) {
    std::vector<Box> boxes;
    for (const Box &b : all) {
        if (!has_nan(b.bounds)) {
            boxes.push_back(b);
        }
    }
    std::vector<Span> spans;
    spans.reserve(boxes.size());
    std::vector<uint32_t> members[2];
    for (uint32_t i = 0; i < boxes.size(); ++i) {
        const Bounds &b = boxes[i].bounds;
        spans.push_back({std::min(b.x, b.right), std::max(b.x, b.right), std::min(b.y, b.bottom),
                         std::max(b.y, b.bottom)});
        members[between ? boxes[i].set : 0].push_back(i);
    }
    // With one set, a box meets the boxes of its own set.
    Open first(spans, members[0]);
    std::optional<Open> second;
    if (between) {
        second.emplace(spans, members[1]);
    }
    auto set_of = [&](int s) -> Open & { return s == 1 ? *second : first; };

    std::vector<uint32_t> by_x1(boxes.size());
    std::vector<uint32_t> by_x2(boxes.size());
    for (uint32_t i = 0; i < boxes.size(); ++i) {
        by_x1[i] = by_x2[i] = i;
    }
    std::sort(by_x1.begin(), by_x1.end(),
              [&](uint32_t a, uint32_t b) { return spans[a].x1 < spans[b].x1; });
    std::sort(by_x2.begin(), by_x2.end(),
              [&](uint32_t a, uint32_t b) { return spans[a].x2 < spans[b].x2; });

    // 0: not reached yet, 1: open, 2: closed (also a box closed before its turn came).
    std::vector<uint8_t> state(boxes.size(), 0);
    size_t closing = 0;
    for (uint32_t b : by_x1) {
        double x1 = spans[b].x1;
        for (; closing < by_x2.size() && spans[by_x2[closing]].x2 <= x1; ++closing) {
            uint32_t a = by_x2[closing];
            if (state[a] == 1) {
                set_of(between ? boxes[a].set : 0).erase(a);
            }
            state[a] = 2;
        }
        int own = between ? boxes[b].set : 0;
        set_of(between ? 1 - own : 0).meet(spans[b], [&](uint32_t a) {
            if (overlap(boxes[a].bounds, boxes[b].bounds)) {
                uint32_t i = boxes[a].index;
                uint32_t j = boxes[b].index;
                if (between ? own == 0 : i > j) {
                    std::swap(i, j);
                }
                out.emplace_back(i, j);
            }
        });
        if (state[b] == 0) {
            set_of(own).insert(b);
            state[b] = 1;
        }
    }
}

void sort_pairs(std::vector<Pair> &pairs, uint32_t bound) {
    // Two stable counting passes: by the second index, then by the first.
    std::vector<Pair> scratch(pairs.size());
    std::vector<size_t> count(size_t{bound} + 1);
    auto pass = [&](std::vector<Pair> &from, std::vector<Pair> &to, auto key) {
        std::fill(count.begin(), count.end(), 0);
        for (const Pair &p : from) {
            ++count[key(p) + 1];
        }
        for (size_t i = 1; i < count.size(); ++i) {
            count[i] += count[i - 1];
        }
        for (const Pair &p : from) {
            to[count[key(p)]++] = p;
        }
    };
    pass(pairs, scratch, [](const Pair &p) { return p.second; });
    pass(scratch, pairs, [](const Pair &p) { return p.first; });
}

}  // namespace tessel::collide
