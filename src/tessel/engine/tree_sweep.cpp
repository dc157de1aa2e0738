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
#include "tree_sweep.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

#include "held.hpp"

namespace tessel::engine {
namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

// Sorting keys next to their boxes spares the sort an indirection per comparison.
struct Keyed {
    double key;
    uint32_t box;
};

void sort_keyed(std::vector<Keyed> &v) {
    std::sort(v.begin(), v.end(), [](const Keyed &a, const Keyed &b) { return a.key < b.key; });
}

// A set of positions 0..n-1 with a summary word per 64 words, so the next member after a
// position is found in a few word operations.
class Bits {
  public:
    // Empties the set and makes room for positions 0..n-1, keeping the memory it has.
    void reset(size_t n) {
        size_t l = 0;
        do {
            n = (n + 63) / 64;
            if (l == levels_.size()) {
                levels_.emplace_back();
            }
            levels_[l++].assign(std::max<size_t>(n, 1), 0);
        } while (n > 1);
        levels_.resize(l);
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
    size_t bytes() const {
        size_t sum = held(levels_);
        for (const auto &level : levels_) {
            sum += held(level);
        }
        return sum;
    }
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

// A binary min-heap of boxes by key[box] in a slice of a shared array, that knows where
// each box sits so that any box can leave it; reporting every box below a bound visits
// only those and their children.
struct Heap {
    uint32_t *items = nullptr;  // room for every box that can ever be in it
    size_t size = 0;

    void push(uint32_t box, const double *key, uint32_t *where) {
        items[size++] = box;
        up(size - 1, key, where);
    }
    void erase(uint32_t box, const double *key, uint32_t *where) {
        size_t i = where[box];
        uint32_t last = items[--size];
        if (i == size) {
            return;
        }
        place(i, last, where);
        up(i, key, where);
        down(i, key, where);
    }
    template <class F> void below(double bound, const double *key, F &&f, size_t i = 0) const {
        if (i < size && key[items[i]] < bound) {
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
            if (c >= size) {
                break;
            }
            if (c + 1 < size && key[items[c + 1]] < key[items[c]]) {
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
struct Node {
    Heap low, high;
};

// The memory of one set's structure, kept from one call to the next with the rest of the
// sweep's: fresh pages cost more than the whole sweep.
struct OpenMemory {
    std::vector<Keyed> keyed;
    std::vector<uint32_t> by_y1, slot_of, node_of, room, storage, where_low, where_high;
    std::vector<double> y1s, values, low, minus_high;
    std::vector<Node> nodes;
    Bits open;

    size_t bytes() const {
        return held(keyed) + held(by_y1) + held(slot_of) + held(node_of) + held(room) +
               held(storage) + held(where_low) + held(where_high) + held(y1s) + held(values) +
               held(low) + held(minus_high) + held(nodes) + open.bytes();
    }
};

class Open {
  public:
    Open(const std::vector<Span> &spans, const std::vector<uint32_t> &members, OpenMemory &m)
        : spans_(spans), m_(m) {
        size_t n = spans.size();
        m.keyed.clear();
        for (uint32_t box : members) {
            m.keyed.push_back({spans[box].y1, box});
        }
        sort_keyed(m.keyed);
        m.slot_of.assign(n, kNone);
        m.by_y1.clear();
        m.y1s.clear();
        for (uint32_t s = 0; s < m.keyed.size(); ++s) {
            m.slot_of[m.keyed[s].box] = s;
            m.by_y1.push_back(m.keyed[s].box);
            m.y1s.push_back(m.keyed[s].key);
        }
        m.values.clear();
        for (uint32_t box : members) {
            m.values.push_back(spans[box].y1);
            m.values.push_back(spans[box].y2);
        }
        std::sort(m.values.begin(), m.values.end());
        m.values.erase(std::unique(m.values.begin(), m.values.end()), m.values.end());
        m.nodes.assign(m.values.empty() ? 0 : m.values.size() - 1, Node{});
        // Each node's heaps get a slice of one array, as large as the boxes it may hold.
        m.room.assign(m.nodes.size(), 0);
        m.node_of.assign(n, kNone);
        for (uint32_t box : members) {
            m.node_of[box] = node_for(box);
            if (m.node_of[box] != kNone) {
                ++m.room[m.node_of[box]];
            }
        }
        m.storage.resize(2 * members.size());
        size_t offset = 0;
        for (size_t k = 0; k < m.nodes.size(); ++k) {
            m.nodes[k].low.items = m.storage.data() + offset;
            m.nodes[k].high.items = m.storage.data() + offset + m.room[k];
            offset += 2 * m.room[k];
        }
        m.low.resize(n);
        m.minus_high.resize(n);
        m.where_low.resize(n);
        m.where_high.resize(n);
        for (uint32_t box : members) {
            m.low[box] = spans[box].y1;
            m.minus_high[box] = -spans[box].y2;
        }
        m.open.reset(members.size());
    }

    void insert(uint32_t box) {
        m_.open.insert(m_.slot_of[box]);
        if (uint32_t k = m_.node_of[box]; k != kNone) {
            m_.nodes[k].low.push(box, m_.low.data(), m_.where_low.data());
            m_.nodes[k].high.push(box, m_.minus_high.data(), m_.where_high.data());
        }
    }
    void erase(uint32_t box) {
        m_.open.erase(m_.slot_of[box]);
        if (uint32_t k = m_.node_of[box]; k != kNone) {
            m_.nodes[k].low.erase(box, m_.low.data(), m_.where_low.data());
            m_.nodes[k].high.erase(box, m_.minus_high.data(), m_.where_high.data());
        }
    }

    // Calls f for each open box that case 1 or case 2 gives for the span s.
    template <class F> void meet(const Span &s, F &&f) const {
        const auto &y1s = m_.y1s;
        size_t from = std::lower_bound(y1s.begin(), y1s.end(), s.y1) - y1s.begin();
        size_t to = std::lower_bound(y1s.begin(), y1s.end(), s.y2) - y1s.begin();
        for (size_t i = m_.open.next(from); i < to; i = m_.open.next(i + 1)) {
            f(m_.by_y1[i]);
        }
        // Stabbing at q = s.y1: a node's boxes all span its gap; left of the gap they are
        // the ones with y1 < q, right of it those with y2 > q; one path down the tree.
        double q = s.y1;
        ptrdiff_t lo = 0;
        ptrdiff_t hi = static_cast<ptrdiff_t>(m_.nodes.size()) - 1;
        while (lo <= hi) {
            ptrdiff_t mid = lo + (hi - lo) / 2;
            const Node &node = m_.nodes[mid];
            if (q <= m_.values[mid]) {
                node.low.below(q, m_.low.data(), f);
                hi = mid - 1;
            } else {
                node.high.below(-q, m_.minus_high.data(), f);
                lo = mid + 1;
            }
        }
    }

  private:
    uint32_t node_for(uint32_t box) const {
        const Span &s = spans_[box];
        if (!(s.y1 < s.y2)) {
            return kNone;
        }
        const auto &values = m_.values;
        ptrdiff_t p = std::lower_bound(values.begin(), values.end(), s.y1) - values.begin();
        ptrdiff_t q = std::lower_bound(values.begin(), values.end(), s.y2) - values.begin();
        ptrdiff_t lo = 0;
        ptrdiff_t hi = static_cast<ptrdiff_t>(m_.nodes.size()) - 1;
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
    OpenMemory &m_;
};

bool has_nan(const Bounds &b) {
    return std::isnan(b.x) || std::isnan(b.right) || std::isnan(b.y) || std::isnan(b.bottom);
}

}  // namespace

// What one call needs besides the two sets' structures.
struct TreeSweep::Memory {
    std::vector<Box> boxes;
    std::vector<Span> spans;
    std::vector<uint32_t> members[2];
    std::vector<Keyed> by_x1, by_x2;
    std::vector<uint8_t> state;
    OpenMemory sets[2];

    size_t bytes() const {
        return held(boxes) + held(spans) + held(members[0]) + held(members[1]) + held(by_x1) +
               held(by_x2) + held(state) + sets[0].bytes() + sets[1].bytes();
    }
};

TreeSweep::TreeSweep() = default;
TreeSweep::~TreeSweep() = default;

size_t TreeSweep::bytes() const noexcept { return m_ ? sizeof(Memory) + m_->bytes() : 0; }

void TreeSweep::release() noexcept { m_.reset(); }

void TreeSweep::pairs(const std::vector<Box> &all, bool between, std::vector<Pair> &out) {
    if (!m_) {
        m_ = std::make_unique<Memory>();
    }
    Memory &m = *m_;

    m.boxes.clear();
    for (const Box &b : all) {
        if (!has_nan(b.bounds)) {
            m.boxes.push_back(b);
        }
    }
    const auto &boxes = m.boxes;
    auto &spans = m.spans;
    spans.clear();
    m.members[0].clear();
    m.members[1].clear();
    for (uint32_t i = 0; i < boxes.size(); ++i) {
        const Bounds &b = boxes[i].bounds;
        spans.push_back(span_of(b));
        m.members[between ? boxes[i].set : 0].push_back(i);
    }
    // With one set, a box meets the boxes of its own set.
    Open first(spans, m.members[0], m.sets[0]);
    std::optional<Open> second;
    if (between) {
        second.emplace(spans, m.members[1], m.sets[1]);
    }
    auto set_of = [&](int s) -> Open & { return s == 1 ? *second : first; };

    auto &by_x1 = m.by_x1;
    auto &by_x2 = m.by_x2;
    by_x1.clear();
    by_x2.clear();
    for (uint32_t i = 0; i < boxes.size(); ++i) {
        by_x1.push_back({spans[i].x1, i});
        by_x2.push_back({spans[i].x2, i});
    }
    sort_keyed(by_x1);
    sort_keyed(by_x2);

    // 0: not reached yet, 1: open, 2: closed (also a box closed before its turn came).
    auto &state = m.state;
    state.assign(boxes.size(), 0);
    size_t closing = 0;
    for (const Keyed &next : by_x1) {
        uint32_t b = next.box;
        for (; closing < by_x2.size() && by_x2[closing].key <= next.key; ++closing) {
            uint32_t a = by_x2[closing].box;
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

}  // namespace tessel::engine
