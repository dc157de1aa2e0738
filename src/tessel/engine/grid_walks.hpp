// Walks of the query grid (query_grid.hpp) that visit cells in an order of their own: along
// a segment, for the boxes it crosses (walk_segment), and outwards from a point, ring by
// ring, for the boxes nearest to it (walk_nearest). Each offers the entered slots of the
// cells it visits, each slot at most once, to a test of the caller's, which decides; the
// boxes kept aside and those added since the grid was entered are the caller's to test.
//
// Why the segment walk misses no box. Per level, the segment is cut at the t where it
// crosses a whole column or row (pieces that each stay within about one cell on either axis;
// any cut would do for what follows, and these keep the pieces few). Piece k covers
// t in [T_k, T_k+1], with T_0 = 0 and the last ending at 1. Its span is its ends X(T) =
// sx + T * dx computed in doubles, widened by m = 2^-49 (|sx| + |ex|) + 2^-1000 on each side:
// the computed X(T) lies within 4 eps (|sx| + |ex|) of the exact x(T) (eps = 2^-53: the
// rounded dx, the product, the sum; the last term covers an underflowing product), and the
// widening within 2 eps more, so the span holds every exact x(t) of the piece, and likewise
// on y. A box that the segment meets at a point p(t) of piece k holds p: its x1 <= p.x <=
// x2 on x; since its edges are doubles, x1 <= q2 and x2 >= q1 for the doubles q1 <= p.x <=
// q2 next to it, and q1, q2 lie within the piece's span. So the box meets the span [q1, q2]
// as a query's span must meet it (query_grid.cpp), and its cell lies within the reach of
// [q1, q2], hence within the reach of the piece's span (cell_of and t() never decrease).
// The reach of each piece is a rectangle of cells R_k; the computed ends X(T) never decrease
// (or never increase) with T, so each of the four bounds of R_k moves one way only as k
// grows. Then a cell in R_k and in some earlier R_j is also in R_k-1 (between R_j's and
// R_k's bounds on each axis), so visiting R_k less R_k-1 for each k visits every cell of
// every piece's reach once, and each entered slot, which is in one cell, at most once.
// Stopping: a box in no cell visited before piece k is met only at points of pieces k and
// later, all at t >= T_k; so once past(T_k) says that no box met from T_k on can matter,
// the level is done.
//
// Why the nearest walk misses no box. A box entered in cell c of a level has its first
// corner at t in [c - 3/4, c + 1 + 3/4) as computed (query_grid.hpp), unless c is the first
// or last column, which reach to infinity outwards, and a span of at most the level's limit,
// less than a cell; so on x it lies within [c - 3/4, c + 2 + 3/4) cells of the grid's left,
// give or take the rounding of t (below 2^-26 of a cell for the 2^24 columns at most) and of
// the point's own u (relative 4 eps): e_u = 2^-20 + 2^-48 |u| covers both. Its distance to
// the point is at least the gap between that range and the point, times the side, on x, and
// likewise on y. A ring r of cells around the point's cell (those r columns or rows away)
// lies in its columns pc - r and pc + r and its rows pr - r and pr + r: the least of the gaps
// of those that exist bounds the distance of every box in the ring from below. That bound
// never decreases from one ring to the next (each side moves away from the point, and sides
// that fall off the grid only drop out of the least), so once it exceeds the distance
// beyond which no box matters, every later ring's does too.
#ifndef TESSEL_ENGINE_GRID_WALKS_HPP
#define TESSEL_ENGINE_GRID_WALKS_HPP

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <tuple>
#include <utility>

#include "boxes.hpp"
#include "query_grid.hpp"
#include "segment.hpp"

namespace tessel::engine {

namespace walk_detail {

using Level = QueryGrid::Level;
using Cells = QueryGrid::Cells;

template <class Test>
void visit_run(const QueryGrid &g, const Level &l, uint32_t row, uint32_t c0, uint32_t c1,
               Test &test) {
    QueryGrid::Run found = g.run(l, row, c0, c1);
    for (uint32_t p = found.first; p < found.end; ++p) {
        test(g.slot_at(p));
    }
}

// The cells of `now` that are not in `before` (none before the first piece).
template <class Test>
void visit_new(const QueryGrid &g, const Level &l, const Cells &now, const Cells *before,
               Test &test) {
    for (uint32_t r = now.r0; r <= now.r1; ++r) {
        if (before == nullptr || r < before->r0 || r > before->r1) {
            visit_run(g, l, r, now.c0, now.c1, test);
            continue;
        }
        if (now.c0 < before->c0) {
            visit_run(g, l, r, now.c0, std::min(now.c1, before->c0 - 1), test);
        }
        if (now.c1 > before->c1) {
            visit_run(g, l, r, std::max(now.c0, before->c1 + 1), now.c1, test);
        }
    }
}

// The t at which u0 + t (u1 - u0) crosses each whole number in [low, high], ascending.
class Crossings {
  public:
    Crossings(double u0, double u1, double low, double high) noexcept : u0_(u0), span_(u1 - u0) {
        if (!std::isfinite(span_) || span_ == 0) {
            next_ = 1, last_ = 0, step_ = 1;  // none
        } else if (span_ > 0) {
            next_ = std::ceil(std::max(u0, low)), last_ = std::floor(std::min(u1, high)), step_ = 1;
        } else {
            next_ = std::floor(std::min(u0, high)), last_ = std::ceil(std::max(u1, low)), step_ = -1;
        }
    }
    bool done() const noexcept { return step_ > 0 ? next_ > last_ : next_ < last_; }
    double peek() const noexcept { return done() ? 2.0 : (next_ - u0_) / span_; }
    void pop() noexcept { next_ += step_; }

  private:
    double u0_, span_, next_, last_, step_;
};

}  // namespace walk_detail

// Offers test(slot) every entered slot in a cell that a box the segment meets may be in (for
// boxes drifted by `drift`, as QueryGrid::visit()), level by level, along the segment; a
// level ends early once past(t) is true for the t at which its next piece starts (see
// above). A segment of no points offers none.
//
// With a size (w, h), the same for a rect of that size whose position follows the segment
// (engine/sweep_box.hpp): each piece's span grows by the size on its side, [X1 + min(w, 0),
// X2 + max(w, 0)], and the margin by 2^-49 |w| for the roundings of the sums. A box that
// overlaps the rect at a point of the piece meets that span (on x, b.x < x(t) + w and
// x(t) < b.right), so the argument above holds as it stands.
template <class Test, class Past>
void walk_segment(const QueryGrid &g, double drift, const Segment &s, Test test, Past past,
                  double w = 0, double h = 0) {
    using namespace walk_detail;
    if (s.kind == Segment::none) {
        return;
    }
    const double w0 = std::min(w, 0.0), w1 = std::max(w, 0.0);
    const double h0 = std::min(h, 0.0), h1 = std::max(h, 0.0);
    const Span whole{std::min(s.sx, s.ex) + w0, std::max(s.sx, s.ex) + w1,
                     std::min(s.sy, s.ey) + h0, std::max(s.sy, s.ey) + h1};
    const double mx = 0x1p-49 * (std::fabs(s.sx) + std::fabs(s.ex) + std::fabs(w)) + 0x1p-1000;
    const double my = 0x1p-49 * (std::fabs(s.sy) + std::fabs(s.ey) + std::fabs(h)) + 0x1p-1000;
    auto at = [&](double t) { return std::pair{s.sx + t * s.dx, s.sy + t * s.dy}; };
    g.each_level([&](const Level &l) {
        double us = (s.sx - g.left()) * l.inv, ue = (s.ex - g.left()) * l.inv;
        double vs = (s.sy - g.top()) * l.inv, ve = (s.ey - g.top()) * l.inv;
        bool finite = std::isfinite(us) && std::isfinite(ue) && std::isfinite(vs) &&
                      std::isfinite(ve) && std::isfinite(s.dx) && std::isfinite(s.dy) &&
                      std::isfinite(mx) && std::isfinite(my);
        if (s.kind == Segment::point || !finite) {
            // One piece, the segment's own span: the query grid's rule as it stands.
            visit_new(g, l, g.reach(l, whole, drift), nullptr, test);
            return;
        }
        Crossings across(us, ue, -3, l.columns + 3.0), down(vs, ve, -3, l.rows + 3.0);
        double from = 0;
        auto [x0, y0] = at(0.0);
        Cells before{};
        bool first = true;
        while (!past(from)) {
            double to = std::min(across.peek(), down.peek());
            to = to < 1 ? std::max(to, from) : 1.0;
            while (!across.done() && across.peek() <= to) {
                across.pop();
            }
            while (!down.done() && down.peek() <= to) {
                down.pop();
            }
            auto [x1, y1] = at(to);
            Span piece{std::min(x0, x1) + w0 - mx, std::max(x0, x1) + w1 + mx,
                       std::min(y0, y1) + h0 - my, std::max(y0, y1) + h1 + my};
            Cells now = g.reach(l, piece, drift);
            visit_new(g, l, now, first ? nullptr : &before, test);
            before = now;
            first = false;
            if (to >= 1) {
                break;
            }
            from = to, x0 = x1, y0 = y1;
        }
    });
}

// Offers test(slot) the entered slots of each level's cells, ring by ring outwards from the
// point's cell, until a ring's lower bound on the distance of its boxes exceeds cutoff():
// beyond that distance no box matters (see above). The point must not be NaN; a point with
// an infinite coordinate is offered every slot.
template <class Test, class Cutoff>
void walk_nearest(const QueryGrid &g, double px, double py, Test test, Cutoff cutoff) {
    using namespace walk_detail;
    constexpr double kInf = std::numeric_limits<double>::infinity();
    g.each_level([&](const Level &l) {
        double u = (px - g.left()) * l.inv, v = (py - g.top()) * l.inv;
        if (!std::isfinite(u) || !std::isfinite(v)) {
            for (uint32_t r = 0; r < l.rows; ++r) {
                visit_run(g, l, r, 0, l.columns - 1, test);
            }
            return;
        }
        const double eu = 0x1p-20 + 0x1p-48 * std::fabs(u), ev = 0x1p-20 + 0x1p-48 * std::fabs(v);
        // The gap, in cells, between the point and the boxes of column c (row c).
        auto gap = [](double p, double e, int64_t c, double last) {
            double low = c == 0 ? -kInf : static_cast<double>(c) - 0.75 - e;
            double high = static_cast<double>(c) == last ? kInf : static_cast<double>(c) + 2.75 + e;
            return std::max({0.0, low - p, p - high});
        };
        const double scale = l.side * (1 - 0x1p-48);
        const int64_t pc = g.column_of(l, px), pr = g.row_of(l, py);
        const int64_t last_c = l.columns - 1, last_r = l.rows - 1;
        for (int64_t r = 0;; ++r) {
            int64_t c0 = pc - r, c1 = pc + r, r0 = pr - r, r1 = pr + r;
            bool left = c0 >= 0, right = c1 <= last_c, top = r0 >= 0, bottom = r1 <= last_r;
            if (!left && !right && !top && !bottom) {
                return;
            }
            double bound = kInf;
            for (auto [there, p, e, c, last] : {std::tuple{left, u, eu, c0, l.last_column},
                                                {right, u, eu, c1, l.last_column},
                                                {top, v, ev, r0, l.last_row},
                                                {bottom, v, ev, r1, l.last_row}}) {
                if (there) {
                    bound = std::min(bound, gap(p, e, c, last));
                }
            }
            if (bound * scale > cutoff() * (1 + 0x1p-40)) {
                return;
            }
            auto column = [](int64_t c, int64_t last) {
                return static_cast<uint32_t>(std::clamp<int64_t>(c, 0, last));
            };
            uint32_t from = column(c0, last_c), to = column(c1, last_c);
            if (top) {
                visit_run(g, l, static_cast<uint32_t>(r0), from, to, test);
            }
            if (bottom && r1 != r0) {
                visit_run(g, l, static_cast<uint32_t>(r1), from, to, test);
            }
            for (int64_t row = std::max<int64_t>(r0 + 1, 0); row <= std::min(r1 - 1, last_r);
                 ++row) {
                if (left) {
                    visit_run(g, l, static_cast<uint32_t>(row), from, from, test);
                }
                if (right && c1 != c0) {
                    visit_run(g, l, static_cast<uint32_t>(row), to, to, test);
                }
            }
        }
    });
}

}  // namespace tessel::engine

#endif
