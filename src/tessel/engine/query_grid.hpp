// The query grid, the index's search structure (collide/index.hpp): it finds the boxes one
// rect or point may touch by visiting a few cells instead of every box. Boxes come packed,
// x, y, w, h per slot (Row), as the index keeps them; no failures but running out of memory
// (std::bad_alloc).
//
// Each box is entered once, in one cell, in the level of its size: level k has square cells
// of side at least c0 * 2^k and holds boxes whose span is a little less than that side on
// both axes. The cell is the one of the span's first corner (x1, y1) when the box is entered,
// and stays its cell while the corner keeps within 3/4 of a cell of it; so boxes that move a
// little from one refresh to the next keep the grid as it is, and a refresh costs a check per
// box instead of entering them all again. A box that a query span may touch has its cell
// within two cells before the span's own and one after, or one before and none after while
// no box has left its cell (query_grid.cpp says why), so a query visits a few cells per
// level, whatever the number of boxes. Boxes with an edge that is not finite, or larger than
// every level, are kept aside, to be tested one by one.
//
// Once built, a grid is not changed while anyone else may read it: the index shares grids
// between its geometries (std::shared_ptr) and builds only into one it alone holds.
#ifndef TESSEL_ENGINE_QUERY_GRID_HPP
#define TESSEL_ENGINE_QUERY_GRID_HPP

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "boxes.hpp"
#include "budget.hpp"
#include "hits.hpp"

namespace tessel::engine {

class QueryGrid {
  public:
    // Enters boxes [0, n) of `rows` afresh. The layout (extent, cell sides) is that of
    // `like` (another grid, or this one when null) while it suits the boxes; otherwise, or
    // with `replan`, it is made from the boxes.
    void build(const Row *rows, size_t n, const QueryGrid *like, bool replan);

    // Whether the grid still serves boxes [0, n) of `rows`, which it entered as they were
    // then: n unchanged, each box's Keeper::drift() at most kSlack, and few boxes aside that
    // could now be entered.
    bool still_holds(const Row *rows, size_t n) const noexcept;
    // Checks boxes one by one against a grid (a local one keeps its fields in registers):
    // drift(slot, row) is how far, in cells, the corner of box `slot` (entered), as `row`,
    // now lies outside its cell (0 inside it, and for a box aside; an edge cell has no outer
    // side), or infinity when the box no longer fits its level's size. A query finds the box
    // while that is at most kSlack.
    class Keeper;
    static constexpr double kSlack = 0.75;
    // The rest of still_holds(), for a caller that has checked the boxes' drift.
    bool aside_still_fits(const Row *rows, size_t n) const noexcept;

    // Appends every overlapping pair of entered boxes, as (smaller place, larger place),
    // each once, unordered, where place[slot] is the place of a slot (the slot itself when
    // null); false, with `out` as it was, when the budget runs out first. `drift` bounds the
    // boxes' drift (0 just after build()). Boxes aside are left out. `gathered` is working
    // memory.
    bool pairs(const Row *rows, const uint32_t *place, double drift, const Budget &budget,
               std::vector<Box> &gathered, std::vector<Pair> &out) const;

    // Boxes [0, entered()) are in the grid (or aside); later ones are not.
    size_t entered() const noexcept { return entered_; }

    // Appends every entered slot in a cell that the span (boxes.hpp) may touch (aside ones
    // excepted) and that `accept(slot)` accepts, for boxes that have drifted by `drift`
    // (Keeper::drift(), the worst since they were entered). Each slot is offered once; slots
    // come in no order.
    template <class Accept>
    void visit(const Span &q, double drift, Accept accept, Hits &out) const;

    // The slots kept aside, ascending.
    const std::vector<uint32_t> &aside() const noexcept { return aside_; }

    // The layout, read-only, for walks over the cells: visit()'s and pairs()'s, and others
    // (a ray's, cell by cell). Each level with cells lays square cells of side `side` over
    // the extent from (left(), top()), columns by rows, and holds the boxes of its size
    // class; a box is entered in one cell of one level (the header's opening says which).
    struct Level {
        double limit;  // the largest span a box of this level may have
        double inv;    // 1 / the side of its cells
        double side;
        double last_column, last_row;
        uint32_t columns, rows;
        uint32_t base;     // its first cell in start_
        uint32_t planned;  // boxes it held when laid out
    };
    // The cells of one level from column c0 to c1 and row r0 to r1, all included.
    struct Cells {
        uint32_t c0, c1, r0, r1;
    };
    double left() const noexcept { return left_; }
    double top() const noexcept { return top_; }
    // Calls f(level) for each level with cells, by size, smallest first.
    template <class F> void each_level(F &&f) const {
        for (uint32_t k : used_) {
            f(levels_[k]);
        }
    }
    // The column and row of a point on a level: the one map for entering and for querying,
    // floored and clamped, which never decreases as x or y grows.
    uint32_t column_of(const Level &l, double x) const noexcept {
        return cell_of(across(l, x), l.last_column);
    }
    uint32_t row_of(const Level &l, double y) const noexcept {
        return cell_of(down(l, y), l.last_row);
    }
    // The cells in which a box that the span `q` may touch can be entered, on level l, for
    // boxes that have drifted by `drift`: one cell before the span's own while every corner
    // lies in its cell (a drift of 0, as just after entering, and while boxes move within
    // their cells), else two before and one after (query_grid.cpp says why).
    Cells reach(const Level &l, const Span &q, double drift) const noexcept {
        const double before = drift == 0 ? 1 : 2, after = drift == 0 ? 0 : 1;
        return {cell_of(across(l, q.x1) - before, l.last_column),
                cell_of(across(l, q.x2) + after, l.last_column),
                cell_of(down(l, q.y1) - before, l.last_row),
                cell_of(down(l, q.y2) + after, l.last_row)};
    }
    // The slots entered in columns c0 to c1 of one row of level l: slot_at(p) for p in
    // [first, end), ascending within each cell.
    struct Run {
        uint32_t first, end;
    };
    Run run(const Level &l, uint32_t row, uint32_t c0, uint32_t c1) const noexcept {
        size_t cells = l.base + size_t{row} * l.columns;
        return {start_[cells + c0], start_[cells + c1 + 1]};
    }
    uint32_t slot_at(uint32_t p) const noexcept { return slots_[p]; }

  private:
    // The cell a box was entered in (exact: there are at most 2^24 columns and rows).
    struct Place {
        float column, row;
    };
    static constexpr uint32_t kAside = UINT32_MAX;
    static constexpr int kLevels = 40;
    static constexpr uint8_t kNoLevel = 0xff;

    // The column (or row) of an edge at t = (x - left) * inv: floored and clamped to
    // [0, last]. One map for entering and for querying; it never decreases as t grows.
    static uint32_t cell_of(double t, double last) noexcept {
        return static_cast<uint32_t>(std::min(std::max(t, 0.0), last));
    }
    double across(const Level &l, double x) const noexcept { return (x - left_) * l.inv; }
    double down(const Level &l, double y) const noexcept { return (y - top_) * l.inv; }
    // The first level, from `k` on, whose span limit is at least `extent`; kLevels for none.
    int level_of(double extent, int k = 0) const noexcept;
    void plan(const Row *rows, size_t n);
    void copy_layout(const QueryGrid &other);
    // The cell of every box by the layout as it is. With `record`, notes how the boxes fit
    // the layout just made; otherwise says whether they still fit it.
    bool place(const Row *rows, size_t n, bool record);
    void sort(size_t n);

    // The layout.
    bool laid_out_ = false;
    double left_ = 0, top_ = 0;
    double limits_[kLevels] = {};  // c0 * 2^k: the largest span of a box of level k
    std::vector<Level> levels_;    // by level; columns == 0 for a level with no cells
    std::vector<uint32_t> used_;   // the levels with cells, ascending
    uint8_t up_[kLevels] = {};     // per size level: the level with cells it goes to
    size_t planned_n_ = 0, planned_misfits_ = 0;
    // The boxes entered.
    size_t entered_ = 0;
    size_t could_enter_ = 0;            // boxes aside that fit a level
    std::vector<uint32_t> keys_;        // per slot: its cell in start_, or kAside
    std::vector<Place> places_;         // per slot
    std::vector<uint8_t> slot_levels_;  // per slot: its level, or kNoLevel (aside)
    std::vector<uint32_t> start_;       // per cell: its first place in slots_; one more at the end
    std::vector<uint32_t> slots_;       // by cell, ascending within a cell
    std::vector<uint32_t> aside_;
};

class QueryGrid::Keeper {
  public:
    // Of no grid, checking nothing (drift() must not be called).
    explicit Keeper(const QueryGrid *g) noexcept
        : levels_of_(g ? g->slot_levels_.data() : nullptr),
          places_(g ? g->places_.data() : nullptr), levels_(g ? g->levels_.data() : nullptr),
#ifdef __SSE2__
          origin_(g ? _mm_set_pd(g->top_, g->left_) : _mm_setzero_pd())
#else
          left_(g ? g->left_ : 0), top_(g ? g->top_ : 0)
#endif
    {
    }
    double drift(size_t slot, const Row &row) const noexcept;

  private:
    const uint8_t *levels_of_;
    const Place *places_;
    const Level *levels_;
#ifdef __SSE2__
    __m128d origin_;
#else
    double left_, top_;
#endif
};

inline double QueryGrid::Keeper::drift(size_t slot, const Row &b) const noexcept {
    // The box's values are taken in registers: loading two of them at once from memory just
    // written one by one would stall.
    uint8_t level = levels_of_[slot];
    if (level == kNoLevel) [[unlikely]] {
        return 0;
    }
    const Level &l = levels_[level];
    const Place &p = places_[slot];
    constexpr double kInf = std::numeric_limits<double>::infinity();
#ifdef __SSE2__
    // The computation below, x and y side by side.
    __m128d xy = _mm_unpacklo_pd(_mm_set_sd(b.x), _mm_set_sd(b.y));
    __m128d ends = _mm_add_pd(xy, _mm_unpacklo_pd(_mm_set_sd(b.w), _mm_set_sd(b.h)));
    __m128d extent = _mm_andnot_pd(_mm_set1_pd(-0.0), _mm_sub_pd(ends, xy));
    __m128d t = _mm_mul_pd(_mm_sub_pd(_mm_min_pd(ends, xy), origin_), _mm_set1_pd(l.inv));
    __m128d cell = _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double *>(&p))));
    __m128d before = _mm_andnot_pd(_mm_cmpeq_pd(cell, _mm_setzero_pd()), _mm_sub_pd(cell, t));
    __m128d after = _mm_andnot_pd(_mm_cmpeq_pd(cell, _mm_set_pd(l.last_row, l.last_column)),
                                  _mm_sub_pd(_mm_sub_pd(t, cell), _mm_set1_pd(1.0)));
    __m128d out = _mm_max_pd(_mm_max_pd(before, after), _mm_setzero_pd());
    out = _mm_max_sd(out, _mm_unpackhi_pd(out, out));
    // A NaN fails both size comparisons, an infinite edge one of them.
    bool fits = _mm_movemask_pd(_mm_cmple_pd(extent, _mm_set1_pd(l.limit))) == 3;
    return fits ? _mm_cvtsd_f64(out) : kInf;
#else
    double right = b.x + b.w, bottom = b.y + b.h;
    if (!(std::fabs(right - b.x) <= l.limit) || !(std::fabs(bottom - b.y) <= l.limit)) {
        return kInf;
    }
    double tx = (std::min(right, b.x) - left_) * l.inv;
    double ty = (std::min(bottom, b.y) - top_) * l.inv;
    double c = p.column, r = p.row;
    return std::max({c != 0 ? c - tx : 0.0, c != l.last_column ? tx - c - 1 : 0.0,
                     r != 0 ? r - ty : 0.0, r != l.last_row ? ty - r - 1 : 0.0, 0.0});
#endif
}

template <class Accept>
void QueryGrid::visit(const Span &q, double drift, Accept accept, Hits &out) const {
    for (uint32_t k : used_) {
        const Level &l = levels_[k];
        Cells cells = reach(l, q, drift);
        for (uint32_t r = cells.r0; r <= cells.r1; ++r) {
            Run found = run(l, r, cells.c0, cells.c1);
            uint32_t *w = out.room(found.end - found.first);
            size_t kept = 0;
            for (uint32_t p = found.first; p < found.end; ++p) {
                uint32_t slot = slots_[p];
                w[kept] = slot;
                kept += accept(slot);
            }
            out.keep(kept);
        }
    }
}

}  // namespace tessel::engine

#endif
