// The query grid: laying the levels out, entering the boxes, checking that they are still
// where they were entered, and why a query finds every box it touches.
//
// Why a query misses no box. Only boxes whose x, y, x + w and y + h are all finite are
// entered; the others are aside. Take spans as in boxes.hpp: [x1, x2] = [min(x, right),
// max(x, right)], likewise on y. A box overlaps a rect only if x1 <= x < q.right <= q.x2 and
// q.x1 <= q.x < right <= x2; it contains a point px only if x1 <= px <= x2. Either way
// x1 <= q.x2 and x2 >= q.x1 for the query's span (a point's is [px, px]), and so on y.
// Write t(x) = (x - left) * inv as computed, for a level's inv; it never decreases as x
// grows (a rounded difference, a product by a positive constant), and cell_of() floors and
// clamps it to [0, last], never decreasing either.
// - A box is in a level only if the rounded x2 - x1 is at most the level's limit, which is
//   (1 - 2^-20) times the side of its cells or less; the exact difference is then less than
//   side * (1 - 2^-21). So x1 > q.x1 - side * (1 - 2^-21), and the computed values, a few
//   roundings of numbers below 2^28 apart from the exact quotients (there are at most 2^24
//   columns), keep t(x1) > t(q.x1) - 1. Where t(q.x1) is 2^28 or more, t(x1) is past the
//   last column too; where it is -2^28 or less, it bounds nothing. And t(x1) <= t(q.x2).
// - A box's cell c was cell_of(t(x1)) when it was entered, and its Keeper::drift() has been
//   at most 3/4 at every refresh that kept the grid since: c - 3/4 <= t(x1) unless c is 0,
//   and t(x1) < c + 1 + 3/4 unless c is the last (both true when it was entered).
//   So, unless c is 0, c <= t(q.x2) + 3/4, hence c <= floor(t(q.x2)) + 1; and unless c is
//   the last, c > t(q.x1) - 2 - 3/4, hence c >= floor(t(q.x1)) - 2. Clamped to [0, last],
//   these are the columns a query visits, cell_of(t(q.x1) - 2) to cell_of(t(q.x2) + 1)
//   (t - 2 and t + 1 are exact below 2^28); rows likewise.
// - While the drift of every box is 0 (just after entering, and while boxes move within
//   their cells), c <= t(x1) unless c is 0 and t(x1) <= c + 1 unless c is the last. So,
//   unless c is 0, c <= t(q.x2), hence c <= floor(t(q.x2)); and unless c is the last,
//   c + 1 >= t(x1) > t(q.x1) - 1, hence c >= floor(t(q.x1)) - 1: the columns
//   cell_of(t(q.x1) - 1) to cell_of(t(q.x2)) hold every such box, two columns fewer (and
//   two rows). The index keeps the worst drift of its boxes (0 once entered anew).
// The layout (extent, sides) enters into none of this: any layout finds every box, and one
// that suits the boxes only makes the cells few and their boxes few.
#include "query_grid.hpp"

#include <cmath>
#include <iterator>
#include <limits>
#include <tuple>
#include <utility>

#include "pair_writer.hpp"

namespace tessel::engine {
namespace {

// Level 0 holds about this share of the boxes (by a sample), or all of them when the largest
// is not much larger; the rest go to levels of twice the side, four times, ... so cells stay
// about as large as the boxes in them.
constexpr double kBaseQuantile = 0.9;
constexpr double kOneLevel = 1.5;
constexpr double kHeadroom = 1 + 1.0 / 64;
constexpr size_t kSample = 256;
// At most about this many cells per box of a level, and this many more.
constexpr double kCellsPerBox = 1;
constexpr double kSpareCells = 16;
constexpr double kMostAcross = 1 << 24;
// The limit of a level is its side times this: room for the rounding of a span.
constexpr double kShrink = 1 - 0x1p-20;
// Why no value of the layout overflows, and no t(x) is NaN. Boxes are entered only when their
// edges lie within kFar of 0 (others are aside, as the infinite ones): so the extent, every
// span and so c0 are below 2^962, and the limits (c0 * 2^k, k < 40) and the sides below
// 2^1003, all finite. c0 is at least kNear, and the sides with it, so that each inv is
// finite and positive. A side grows only while there are two columns or rows (it is less
// than the extent then), by a factor of at most kMostGrowth, so it stays below 2^1003 too.
// With the origin finite and inv finite and positive, t(x) = (x - left) * inv is a
// number or an infinity for every x that is not NaN (an infinite or overflowing x - left
// gives an infinite t, which cell_of() clamps), so the order argument above holds for every
// query, and for boxes that drift past kFar after they were entered.
constexpr double kFar = 0x1p960;
constexpr double kNear = 0x1p-960;
constexpr double kMostGrowth = 0x1p32;

double quantile(std::vector<double> &v, double q) {
    auto at = v.begin() + static_cast<ptrdiff_t>(q * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), at, v.end());
    return *at;
}

// A box with all four edges finite and within kFar of 0, with its span's first corner and
// its larger extent.
struct Shape {
    double x1, y1, extent;
};

[[gnu::always_inline]] inline bool shape_of(const Row &r, Shape &out) noexcept {
    double right = r.x + r.w, bottom = r.y + r.h;
    // |v| <= kFar is false for NaN and for infinities.
    if (!((std::fabs(r.x) <= kFar) & (std::fabs(r.y) <= kFar) & (std::fabs(right) <= kFar) &
          (std::fabs(bottom) <= kFar))) {
        return false;
    }
    double x1 = std::min(r.x, right), y1 = std::min(r.y, bottom);
    out = {x1, y1, std::max(std::max(r.x, right) - x1, std::max(r.y, bottom) - y1)};
    return true;
}

double cells_for(double width, double height, double side) {
    return (std::floor(width / side) + 1) * (std::floor(height / side) + 1);
}

}  // namespace

int QueryGrid::level_of(double extent, int k) const noexcept {
    while (k < kLevels && !(extent <= limits_[k])) {
        ++k;
    }
    return k;
}

void QueryGrid::plan(const Row *rows, size_t n) {
    levels_.assign(kLevels, Level{0, 0, 0, 0, 0, 0, 0, 0, 0});
    used_.clear();
    std::fill(std::begin(up_), std::end(up_), kNoLevel);
    laid_out_ = true;
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double left = kInf, right = -kInf, top = kInf, bottom = -kInf, largest = 0;
    size_t finite = 0;
    std::vector<double> extents, xs, ys;
    size_t step = std::max<size_t>(1, n / kSample);
    for (size_t i = 0; i < n; ++i) {
        Shape s;
        if (!shape_of(rows[i], s)) {
            continue;
        }
        left = std::min(left, s.x1);
        right = std::max(right, s.x1);
        top = std::min(top, s.y1);
        bottom = std::max(bottom, s.y1);
        largest = std::max(largest, s.extent);
        if (finite++ % step == 0) {
            extents.push_back(s.extent);
            xs.push_back(s.x1);
            ys.push_back(s.y1);
        }
    }
    start_.assign(1, 0);
    if (extents.empty()) {
        return;
    }
    double width = right - left, height = bottom - top;
    double c0 = quantile(extents, kBaseQuantile);
    if (largest <= kOneLevel * c0) {
        c0 = largest * kHeadroom;
    }
    if (!(c0 > 0) || !std::isfinite(c0)) {
        // Points, or nearly: cells of about one box each.
        c0 = std::sqrt(width * height / static_cast<double>(finite));
        if (!(c0 > 0) || !std::isfinite(c0)) {
            c0 = std::max(width, height) / static_cast<double>(finite);
        }
        if (!(c0 > 0) || !std::isfinite(c0)) {
            c0 = 1;
        }
    }
    c0 = std::max(c0, kNear);
    // A few boxes far from the rest would spread the cells over empty space: then the extent
    // is that of the sample's middle, and the outliers are entered in the edge cells.
    if (xs.size() >= 64) {
        double x0 = quantile(xs, 0.01), x9 = quantile(xs, 0.99);
        double y0 = quantile(ys, 0.01), y9 = quantile(ys, 0.99);
        double margin_x = (x9 - x0) / 16, margin_y = (y9 - y0) / 16;
        double l = std::max(left, x0 - margin_x), r = std::min(right, x9 + margin_x);
        double t = std::max(top, y0 - margin_y), b = std::min(bottom, y9 + margin_y);
        if (cells_for(width, height, c0) > 16 * cells_for(r - l, b - t, c0)) {
            left = l;
            top = t;
            width = r - l;
            height = b - t;
        }
    }
    left_ = left;
    top_ = top;
    for (int k = 0; k < kLevels; ++k) {
        limits_[k] = std::ldexp(c0, k);
    }

    std::vector<uint32_t> per_level(kLevels + 1, 0);
    for (size_t i = 0; i < n; ++i) {
        Shape s;
        if (shape_of(rows[i], s)) {
            ++per_level[static_cast<size_t>(level_of(s.extent))];
        }
    }
    size_t cells = 0;
    for (int k = 0; k < kLevels; ++k) {
        uint32_t held = per_level[static_cast<size_t>(k)];
        if (held == 0) {
            continue;
        }
        double side = limits_[k] / kShrink;
        double cap = kCellsPerBox * held + kSpareCells;
        auto across = [&] { return std::floor(width / side) + 1; };
        auto down = [&] { return std::floor(height / side) + 1; };
        while (across() * down() > cap || across() > kMostAcross || down() > kMostAcross) {
            double over =
                std::max(across() * down() / cap, std::max(across(), down()) / kMostAcross);
            side *= std::clamp(std::sqrt(over), 1.01, kMostGrowth);
        }
        Level &l = levels_[static_cast<size_t>(k)];
        l = {limits_[k],
             1 / side,
             side,
             across() - 1,
             down() - 1,
             static_cast<uint32_t>(across()),
             static_cast<uint32_t>(down()),
             static_cast<uint32_t>(cells),
             held};
        cells += size_t{l.columns} * l.rows;
        used_.push_back(static_cast<uint32_t>(k));
    }
    // The level each size goes to: its own, or the next one up that has cells.
    uint8_t next = kNoLevel;
    for (int k = kLevels - 1; k >= 0; --k) {
        if (levels_[static_cast<size_t>(k)].columns != 0) {
            next = static_cast<uint8_t>(k);
        }
        up_[k] = next;
    }
    start_.assign(cells + 1, 0);
}

void QueryGrid::copy_layout(const QueryGrid &other) {
    laid_out_ = other.laid_out_;
    left_ = other.left_;
    top_ = other.top_;
    std::copy(std::begin(other.limits_), std::end(other.limits_), std::begin(limits_));
    levels_ = other.levels_;
    used_ = other.used_;
    std::copy(std::begin(other.up_), std::end(other.up_), std::begin(up_));
    planned_n_ = other.planned_n_;
    planned_misfits_ = other.planned_misfits_;
    start_.resize(other.start_.size());
}

bool QueryGrid::place(const Row *rows, size_t n, bool record) {
    keys_.resize(n);
    places_.resize(n);
    slot_levels_.resize(n);
    std::vector<uint32_t> count(kLevels, 0);
    uint32_t *keys = keys_.data();
    uint8_t *slot_levels = slot_levels_.data();
    Place *places = places_.data();
    const Level *levels = levels_.data();
    const double base = limits_[0];
    const uint8_t first = up_[0];
    size_t misfits = 0;
    could_enter_ = 0;
    for (size_t i = 0; i < n; ++i) {
        Shape s{0, 0, 0};
        uint32_t key = kAside;
        uint8_t level = kNoLevel;
        if (shape_of(rows[i], s)) {
            level = first;
            int k = 0;
            if (!(s.extent <= base)) [[unlikely]] {
                k = level_of(s.extent);
                level = k < kLevels ? up_[k] : kNoLevel;
                misfits += level != k;
            }
            could_enter_ += level == kNoLevel && k < kLevels;
        }
        if (level != kNoLevel) [[likely]] {
            const Level &l = levels[level];
            double tx = across(l, s.x1), ty = down(l, s.y1);
            misfits += (tx < 0) | (tx >= l.last_column + 1) | (ty < 0) | (ty >= l.last_row + 1);
            uint32_t c = cell_of(tx, l.last_column), r = cell_of(ty, l.last_row);
            key = l.base + r * l.columns + c;
            places[i] = {static_cast<float>(c), static_cast<float>(r)};
            ++count[level];
        }
        slot_levels[i] = level;
        keys[i] = key;
    }
    if (record) {
        planned_n_ = n;
        planned_misfits_ = misfits;
        return true;
    }
    // Boxes that moved a little fit the layout as they did; boxes that left its extent,
    // changed size class or grew in number crowd some cells, and then it is made afresh.
    if (misfits > planned_misfits_ + n / 16 + 16 || n > 2 * planned_n_ + 64 || 2 * n < planned_n_) {
        return false;
    }
    for (uint32_t k : used_) {
        if (count[k] > 2 * size_t{levels[k].planned} + 64) {
            return false;
        }
    }
    return true;
}

void QueryGrid::sort(size_t n) {
    // Counts per cell, then each cell's first place, then the slots scattered: ascending
    // within each cell. The scatter advances each start to its end; the starts are then
    // shifted back, the last one becoming the end.
    std::fill(start_.begin(), start_.end(), 0);
    aside_.clear();
    size_t entered = 0;
    for (size_t i = 0; i < n; ++i) {
        uint32_t k = keys_[i];
        if (k == kAside) {
            aside_.push_back(static_cast<uint32_t>(i));
        } else {
            ++start_[k];
            ++entered;
        }
    }
    uint32_t sum = 0;
    for (uint32_t &c : start_) {
        sum += std::exchange(c, sum);
    }
    slots_.resize(entered);
    for (size_t i = 0; i < n; ++i) {
        uint32_t k = keys_[i];
        if (k != kAside) {
            slots_[start_[k]++] = static_cast<uint32_t>(i);
        }
    }
    std::copy_backward(start_.begin(), start_.end() - 1, start_.end());
    start_[0] = 0;
}

void QueryGrid::build(const Row *rows, size_t n, const QueryGrid *like, bool replan) {
    if (like != nullptr && like != this) {
        copy_layout(*like);
    }
    if (replan || !laid_out_ || !place(rows, n, false)) {
        plan(rows, n);
        place(rows, n, true);
    }
    sort(n);
    entered_ = n;
}

bool QueryGrid::still_holds(const Row *rows, size_t n) const noexcept {
    if (n != entered_ || !laid_out_) {
        return false;
    }
    const Keeper keeper(this);
    bool all = true;
    for (size_t i = 0; i < n; ++i) {
        all &= keeper.drift(i, rows[i]) <= kSlack;
    }
    return all && aside_still_fits(rows, n);
}

bool QueryGrid::aside_still_fits(const Row *rows, size_t n) const noexcept {
    size_t could_enter = 0;
    for (uint32_t slot : aside_) {
        Shape s;
        could_enter += shape_of(rows[slot], s) && level_of(s.extent) < kLevels;
    }
    return could_enter <= could_enter_ + n / 16 + 16;
}

// Pairs among the entered boxes. Two boxes of one level that overlap have corners less than
// a cell apart (t(b.x1) < t(a.x1) + 1 and the reverse, as for the queries above), so with
// corners at most `drift` outside their cells, their cells are at most 1 + ceil(2 * drift)
// apart on each axis (a box clamped into an edge cell has its partners there too); and a
// partner in a later column or row than a's own has its corner at most drift before that
// column or row, and at most at t(a.x2) (or t(a.y2)), a's far edge. Each pair is examined
// once: from the earlier of its two cells in row-major order, and within a cell from the
// earlier box. Boxes of two levels meet as the queries of the spans of the fewer of
// them would meet the others. The boxes are gathered in the order of their cells first, so
// that each run of candidates is read in order.
bool QueryGrid::pairs(const Row *rows, const uint32_t *place, double drift, const Budget &budget,
                      std::vector<Box> &gathered, std::vector<Pair> &out) const {
    if (!(drift <= kSlack)) {
        return false;
    }
    gathered.resize(slots_.size());
    for (size_t k = 0; k < slots_.size(); ++k) {
        uint32_t slot = slots_[k];
        gathered[k] = {bounds_of(rows[slot]), place != nullptr ? place[slot] : slot, 0};
    }
    const uint32_t apart = 1 + static_cast<uint32_t>(std::ceil(2 * drift));
    const double margin = drift + 0x1p-20;
    const Box *boxes = gathered.data();
    PairWriter writer(out);
    size_t before = writer.end(), candidates = 0;
    auto test = [&](const Box &a, uint32_t from, uint32_t to) {
        writer.test<false>(a, true, from, to, [&](uint32_t q) -> const Box & { return boxes[q]; });
        candidates += to - from;
    };
    // The boxes of level u and of a higher level v meet as the queries of the spans of the
    // fewer of them would meet the others.
    auto level_boxes = [&](const Level &l) {
        return std::pair{start_[l.base], start_[l.base + l.columns * l.rows]};
    };
    for (size_t u = 0; u < used_.size(); ++u) {
        for (size_t v = u + 1; v < used_.size(); ++v) {
            const Level *few = &levels_[used_[u]], *many = &levels_[used_[v]];
            auto [from, to] = level_boxes(*few);
            auto [others_from, others_to] = level_boxes(*many);
            if (to - from > others_to - others_from) {
                std::swap(few, many);
                std::tie(from, to) = level_boxes(*few);
            }
            const Level &h = *many;
            for (uint32_t p = from; p < to; ++p) {
                const Box &a = boxes[p];
                Cells cells = reach(h, span_of(a.bounds), drift);
                for (uint32_t hr = cells.r0; hr <= cells.r1; ++hr) {
                    Run others = run(h, hr, cells.c0, cells.c1);
                    test(a, others.first, others.end);
                }
                if (!budget.allows(candidates, writer.end() - before)) {
                    writer.cut(before);
                    return false;
                }
            }
        }
    }
    for (size_t u = 0; u < used_.size(); ++u) {
        const Level &l = levels_[used_[u]];
        for (uint32_t r = 0; r < l.rows; ++r) {
            uint32_t last_row = std::min(r + apart, l.rows - 1);
            size_t row = l.base + size_t{r} * l.columns;
            for (uint32_t c = 0; c < l.columns; ++c) {
                uint32_t left = c > apart ? c - apart : 0;
                uint32_t right = std::min(c + apart, l.columns - 1);
                for (uint32_t p = start_[row + c]; p < start_[row + c + 1]; ++p) {
                    const Box &a = boxes[p];
                    // A partner further right or down starts there, less `drift`, so it lies
                    // no further than a's own far edge reaches (a little more, for rounding).
                    Span s = span_of(a.bounds);
                    uint32_t to_column =
                        std::min(right, cell_of(across(l, s.x2) + margin, l.last_column));
                    uint32_t to_row =
                        std::min(last_row, cell_of(down(l, s.y2) + margin, l.last_row));
                    test(a, p + 1, start_[row + to_column + 1]);
                    for (uint32_t below = r + 1; below <= to_row; ++below) {
                        size_t next = l.base + size_t{below} * l.columns;
                        test(a, start_[next + left], start_[next + to_column + 1]);
                    }
                    if (!budget.allows(candidates, writer.end() - before)) {
                        writer.cut(before);
                        return false;
                    }
                }
            }
        }
    }
    return true;
}

}  // namespace tessel::engine
