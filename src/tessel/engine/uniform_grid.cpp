// Overlapping pairs by a uniform grid: each box is entered in every cell its span touches,
// and each pair is examined in one cell only, the one that holds both boxes' larger left
// edge and larger top edge.
//
// Why every overlapping pair is examined once. Boxes with a NaN edge or an infinite x or y
// overlap nothing (can_overlap()) and never come here; the others have a finite x and y,
// and edges right and bottom that may be infinite.
// - The map. column(x) is (x - left) * inv, floored and clamped to the columns: a rounded
//   difference and a product by a positive constant never decrease as x grows, nor do
//   floor and clamp, so x <= x' gives column(x) <= column(x'). The argument uses nothing
//   else of it: where rounding puts a value on or next to a cell's edge does not matter, as
//   every use maps the value alike. -0.0 and 0.0 are each <= the other, so they map alike;
//   an infinite edge clamps to the first or last column. Rows likewise. The extent is
//   finite (plan() gives up otherwise) and the side positive, but the side may be so small
//   that inv is infinite, or so large (grown past the largest double) that inv is 0. With
//   inv infinite, t is NaN at x = left and infinite elsewhere, so the map takes x <= left to
//   the first column and x > left to the last: still in order. With inv 0 there is one
//   column, and every x maps to it. No other t is NaN: left is finite, x never NaN.
// - The cell. Take spans, [x1, x2] = [min(x, right), max(x, right)] and likewise on y.
//   If a and b overlap, then a.x1 <= a.x < b.right <= b.x2 and b.x1 < a.x2 (tree_sweep.cpp), so
//   X = max(a.x1, b.x1) lies in both [a.x1, a.x2] and [b.x1, b.x2]; the same holds for
//   Y = max(a.y1, b.y1). A box is entered in the cells [column(x1), column(x2)] by
//   [row(y1), row(y2)], so by the map's order both boxes are entered in the cell
//   O = (column(X), row(Y)), which is (max of their home columns, max of their home rows).
// - Once. In a cell both are entered in, the column is at least both home columns; it is
//   their maximum exactly when it is one of them. So the pair is examined where the column
//   is the home column of a or b and the row the home row of a or b, which is O alone. A
//   cell groups its boxes by that test: at home (its column and row are the box's home),
//   X (its column only), Y (its row only), N (neither); a pair passes when one of the two
//   is at home, or one is X and the other Y. The loops below take these groups, each
//   unordered pair once; boxes at home in a cell are one run, so duplicates (the same box
//   twice) are examined once, as any two boxes are.
// - Kept. Each examined pair is put to the overlap rule itself, which keeps exactly the
//   pairs that overlap. Boxes of zero or negative width or height are entered by their
//   spans, which contain every point the rule can use; the rule drops the pairs that do not
//   overlap (as in the sweep, two boxes with no positive extent on one axis never do).
// Cost: O(n + cells + entries + examined pairs); cells are about n at most, entries at most
// `max_entries`, and the examined pairs are the budget's to limit.
#include "uniform_grid.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "held.hpp"
#include "pair_writer.hpp"

namespace tessel::engine {
namespace {

// A cell's side when the caller leaves it open: a box's larger extent, at this quantile
// over a sample of the boxes.
constexpr double kSizeQuantile = 0.5;
constexpr size_t kSample = 64;
// At most about this many cells per box: when the side is chosen, a few boxes at home in
// a cell cost less than the loops over many near-empty cells; when it is the caller's,
// a bound on the memory.
constexpr double kCellsPerBox = 0.25;
constexpr double kCellsPerBoxGiven = 16;

double typical_size(const std::vector<Box> &boxes) {
    std::vector<double> sample;
    size_t step = std::max<size_t>(1, boxes.size() / kSample);
    for (size_t i = 0; i < boxes.size(); i += step) {
        Span s = span_of(boxes[i].bounds);
        sample.push_back(std::max(s.x2 - s.x1, s.y2 - s.y1));
    }
    auto at = sample.begin() +
              static_cast<ptrdiff_t>(kSizeQuantile * static_cast<double>(sample.size() - 1));
    std::nth_element(sample.begin(), at, sample.end());
    return *at;
}

// Turns counts per key into the first position of each key's run.
void starts(std::vector<uint32_t> &count) {
    uint32_t sum = 0;
    for (uint32_t &c : count) {
        sum += std::exchange(c, sum);
    }
}

// After a fill that advanced each key's start to its end: the starts again, plus the end.
void restore(std::vector<uint32_t> &start) {
    for (size_t k = start.size() - 1; k > 0; --k) {
        start[k] = start[k - 1];
    }
    start[0] = 0;
}

}  // namespace

uint32_t UniformGrid::column(double x) const noexcept {
    double t = (x - left_) * inv_;
    if (!(t > 0)) {
        return 0;
    }
    return t < columns_ ? static_cast<uint32_t>(t) : columns_ - 1;
}

uint32_t UniformGrid::row(double y) const noexcept {
    double t = (y - top_) * inv_;
    if (!(t > 0)) {
        return 0;
    }
    return t < rows_ ? static_cast<uint32_t>(t) : rows_ - 1;
}

// Maps every box to its range of cells, and counts the boxes at home in each cell; the
// number of entries, or more than `max_entries` as soon as they are too many.
size_t UniformGrid::map(const std::vector<Box> &boxes, size_t max_entries) {
    ranges_.resize(boxes.size());
    home_.assign(size_t{columns_} * rows_ * sets_ + 1, 0);
    size_t entries = 0;
    for (size_t i = 0; i < boxes.size() && entries <= max_entries; ++i) {
        Span s = span_of(boxes[i].bounds);
        Range r{column(s.x1), column(s.x2), row(s.y1), row(s.y2)};
        ranges_[i] = r;
        ++home_[slot(r.c0, r.r0, boxes[i])];
        entries += size_t{r.c1 - r.c0 + 1} * (r.r1 - r.r0 + 1);
    }
    return entries;
}

bool UniformGrid::plan(const std::vector<Box> &boxes, double cell, size_t max_entries) {
    // The extent: the finite span edges (x itself where x1 or x2 is infinite).
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double left = kInf, right = -kInf, top = kInf, bottom = -kInf;
    for (const Box &b : boxes) {
        Span s = span_of(b.bounds);
        left = std::min(left, std::isfinite(s.x1) ? s.x1 : b.bounds.x);
        right = std::max(right, std::isfinite(s.x2) ? s.x2 : b.bounds.x);
        top = std::min(top, std::isfinite(s.y1) ? s.y1 : b.bounds.y);
        bottom = std::max(bottom, std::isfinite(s.y2) ? s.y2 : b.bounds.y);
    }
    double width = right - left;
    double height = bottom - top;
    if (boxes.empty() || !std::isfinite(width) || !std::isfinite(height)) {
        return false;
    }
    double n = static_cast<double>(boxes.size());
    bool chosen = cell == 0;
    double cap = chosen ? kCellsPerBox * n + 16 : std::max(kCellsPerBoxGiven * n, 65536.0);
    if (chosen) {
        cell = typical_size(boxes);
        if (!(cell > 0) || !std::isfinite(cell)) {
            cell = std::max(width, height) / std::sqrt(n);
        }
        if (!(cell > 0)) {
            cell = 1;  // every box at one point
        }
    }
    for (int widened = 0;;) {
        double columns = std::floor(width / cell) + 1;
        double rows = std::floor(height / cell) + 1;
        if (columns * rows > cap) {
            cell *= std::max(1.01, std::sqrt(columns * rows / cap));
            continue;
        }
        left_ = left;
        top_ = top;
        inv_ = 1 / cell;
        columns_ = static_cast<uint32_t>(columns);
        rows_ = static_cast<uint32_t>(rows);
        if (map(boxes, max_entries) <= max_entries) {
            return true;
        }
        // Large boxes enter many cells: larger cells, a few times.
        if (!chosen || ++widened > 3) {
            return false;
        }
        cell *= 2;
    }
}

void UniformGrid::fill(const std::vector<Box> &boxes) {
    size_t n = boxes.size();
    size_t slots = size_t{columns_} * rows_ * sets_;
    // The boxes by home cell (counted by map()): their positions scattered, then the boxes
    // gathered, each fetched ahead. After that a box's cells lie near its neighbours' in
    // memory.
    starts(home_);
    order_.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        order_[home_[slot(ranges_[i].c0, ranges_[i].r0, boxes[i])]++] = i;
    }
    restore(home_);
    constexpr size_t kAhead = 8;
    boxes_.resize(n);
    sorted_ranges_.resize(n);
    for (size_t p = 0; p < n; ++p) {
        if (p + kAhead < n) {
            __builtin_prefetch(&boxes[order_[p + kAhead]]);
            __builtin_prefetch(&ranges_[order_[p + kAhead]]);
        }
        boxes_[p] = boxes[order_[p]];
        sorted_ranges_[p] = ranges_[order_[p]];
    }

    // The spills, in home order: X where the box starts in the cell's column, Y in its row,
    // N in neither. Most boxes touch at most two columns and two rows: their three
    // possible spills are written without a branch, those that do not exist to a spare
    // key past the last (`spare`), whose count stays 0 and whose one place is overwritten.
    size_t spare = slots * 3;
    auto each_spill = [&](auto &&f) {
        for (uint32_t p = 0; p < n; ++p) {
            const Box &b = boxes_[p];
            Range r = sorted_ranges_[p];
            bool right = r.c1 > r.c0, down = r.r1 > r.r0;
            if (r.c1 - r.c0 <= 1 && r.r1 - r.r0 <= 1) {
                f(right ? slot(r.c0 + 1, r.r0, b) * 3 + 1 : spare, right, p);
                f(down ? slot(r.c0, r.r0 + 1, b) * 3 : spare, down, p);
                f(right && down ? slot(r.c0 + 1, r.r0 + 1, b) * 3 + 2 : spare, right && down, p);
                continue;
            }
            for (uint32_t c = r.c0 + 1; c <= r.c1; ++c) {
                f(slot(c, r.r0, b) * 3 + 1, true, p);
            }
            for (uint32_t row = r.r0 + 1; row <= r.r1; ++row) {
                f(slot(r.c0, row, b) * 3, true, p);
                for (uint32_t c = r.c0 + 1; c <= r.c1; ++c) {
                    f(slot(c, row, b) * 3 + 2, true, p);
                }
            }
        }
    };
    spill_.assign(spare + 2, 0);
    each_spill([&](size_t key, bool real, uint32_t) { spill_[key] += real; });
    starts(spill_);
    spills_.resize(spill_[spare] + 1);
    each_spill([&](size_t key, bool real, uint32_t p) {
        spills_[spill_[key]] = p;
        spill_[key] += real;
    });
    restore(spill_);
    spills_.pop_back();
}

bool UniformGrid::build(const std::vector<Box> &boxes, bool between, double cell,
                        size_t max_entries) {
    between_ = between;
    sets_ = between ? 2 : 1;
    boxes_.clear();
    home_.clear();
    spill_.clear();
    spills_.clear();
    // Positions are kept in 32 bits.
    max_entries = std::min<size_t>(max_entries, std::numeric_limits<uint32_t>::max());
    if (!plan(boxes, cell, max_entries)) {
        return false;
    }
    fill(boxes);
    return true;
}

size_t UniformGrid::bytes() const noexcept {
    return held(ranges_) + held(sorted_ranges_) + held(order_) + held(boxes_) + held(home_) +
           held(spill_) + held(spills_);
}

void UniformGrid::release() noexcept {
    drop(ranges_);
    drop(order_);
    drop(sorted_ranges_);
    drop(boxes_);
    drop(home_);
    drop(spill_);
    drop(spills_);
}

template <bool kBetween>
bool UniformGrid::pairs_in(std::vector<Pair> &out, const Budget &budget) const {
    PairWriter writer(out);
    size_t before = writer.end();
    size_t candidates = 0;
    const Box *boxes = boxes_.data();
    const uint32_t *spills = spills_.data();
    auto at_home = [&](uint32_t p, bool a_first, uint32_t from, uint32_t to) {
        writer.test<kBetween>(boxes[p], a_first, from, to,
                              [&](uint32_t q) -> const Box & { return boxes[q]; });
        candidates += to - from;
    };
    auto spilled = [&](uint32_t p, bool a_first, uint32_t from, uint32_t to) {
        writer.test<kBetween>(boxes[p], a_first, from, to,
                              [&](uint32_t k) -> const Box & { return boxes[spills[k]]; });
        candidates += to - from;
    };
    // Checked once per box at home and per spill, so that a crowded cell is cut short.
    auto spent = [&] {
        if (budget.allows(candidates, writer.end() - before)) {
            return false;
        }
        writer.cut(before);
        return true;
    };
    size_t cells = size_t{columns_} * rows_;
    for (size_t cell = 0; cell < cells; ++cell) {
        if constexpr (!kBetween) {
            // At home with any later box at home and every spill; X with Y.
            uint32_t h0 = home_[cell], h1 = home_[cell + 1];
            const uint32_t *g = &spill_[cell * 3];  // X, Y, N runs: g[0]..g[3]
            for (uint32_t p = h0; p < h1; ++p) {
                at_home(p, true, p + 1, h1);
                spilled(p, true, g[0], g[3]);
                if (spent()) {
                    return false;
                }
            }
            for (uint32_t k = g[0]; k < g[1]; ++k) {
                spilled(spills[k], true, g[1], g[2]);
                if (spent()) {
                    return false;
                }
            }
        } else {
            // Across the sets only: at home in one with all of the other; X with Y. At home:
            // set 0 at h[0]..h[1], set 1 at h[1]..h[2]; spills: set 0's X, Y, N at g[0]..g[3],
            // set 1's at g[3]..g[6].
            const uint32_t *h = &home_[cell * 2];
            const uint32_t *g = &spill_[cell * 6];
            for (uint32_t p = h[0]; p < h[1]; ++p) {
                at_home(p, true, h[1], h[2]);
                spilled(p, true, g[3], g[6]);
                if (spent()) {
                    return false;
                }
            }
            for (uint32_t p = h[1]; p < h[2]; ++p) {
                spilled(p, false, g[0], g[3]);
                if (spent()) {
                    return false;
                }
            }
            for (uint32_t k = g[0]; k < g[1]; ++k) {
                spilled(spills[k], true, g[4], g[5]);
                if (spent()) {
                    return false;
                }
            }
            for (uint32_t k = g[1]; k < g[2]; ++k) {
                spilled(spills[k], true, g[3], g[4]);
                if (spent()) {
                    return false;
                }
            }
        }
    }
    return true;
}

bool UniformGrid::pairs(std::vector<Pair> &out, const Budget &budget) const {
    return between_ ? pairs_in<true>(out, budget) : pairs_in<false>(out, budget);
}

}  // namespace tessel::engine
