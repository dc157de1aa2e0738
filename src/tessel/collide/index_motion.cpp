// The index's motion: sweep(), the first member a moving rect would come to overlap, by the
// rule of engine/sweep_box.hpp over the boxes of the last refresh, move or add; and slide(),
// which moves a rect along an offset, stopping at the members in its way and sliding along
// them.
//
// As for the other queries (index_lines.cpp): the arguments are read first, outside the
// section; in the section the grid's walk along the path (engine/grid_walks.hpp, grown by
// the moving rect's size) offers the slots that may matter, with the boxes kept aside and
// those added since the grid was entered; values are taken with new references there, and
// the results made after it. slide() computes every leg in one section, on doubles, and
// writes the rect's position after it.
//
// How slide() keeps its promises. Each leg goes from the position P (where the rect
// overlaps no member that is not passed through) towards a target T whose coordinates are
// single-precision values: the first T is what `r.position += offset` stores. The leg's
// first contact is found exactly; the rect is put at the contact, each coordinate rounded
// to single precision towards P (on the axis met, checked exactly to touch the member at
// most), and that candidate is accepted only when the straight leg from P to it meets no
// member (it lies on the leg swept, or a second sweep over the members gathered says so),
// else the progress on the other axis, then on both, is given up: P itself always
// qualifies. So every leg is a straight move that meets nothing, and so
// passes through nothing and ends in nothing. Sliding keeps T's coordinate along the side
// met and takes the candidate's across it: what remains of the offset less its component
// along the normal. No coordinate ever moves away from T, so none moves backwards. Among
// contacts at the same s, one across a side is taken before one at a corner: at the seam of
// two touching tiles, the mover meets the one it rests on before the corner of the next,
// and once sliding along their tops it meets neither. Each Hit's point is where the leg put
// the rect (the contact's position so rounded), so the legs can be followed from the hits.
#include <Python.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "common/arguments.hpp"
#include "common/call.hpp"
#include "common/records.hpp"
#include "engine/grid_walks.hpp"
#include "engine/sweep_box.hpp"
#include "functions.hpp"
#include "hit.hpp"
#include "index.hpp"
#include "motion.hpp"
#include "offsets.hpp"
#include "read.hpp"

namespace tessel::collide {
namespace {

using engine::Bounds;
using engine::Contact;
using engine::Mover;

constexpr Signature kSweep{"sweep", 2, 2};
constexpr Parameter kSlideParameters[] = {{"rect"}, {"offset"}, {"steps", Pass::keyword}};
constexpr Signature kSlide{"slide", Messages::own, 2, kSlideParameters};

struct Found {
    uint32_t slot;
    Contact c;
};

// Per thread: slide() fills and empties them in the section, where no code runs.
thread_local std::vector<uint32_t> t_near;
thread_local engine::Hits t_visited;

// An answer's value, taken in the section, with what its Hit is made of after it.
struct Taken {
    Ref value;
    Mover m;
    Contact c;
    bool placed = false;  // slide(): the point is where the rect was put, `at`
    double at[2] = {0, 0};
};

// The first contact of `m` among the members: least s, then the earliest added. In the
// section.
bool first_contact(const IndexState &st, const Mover &m, Found &best) {
    const Row *rows = st.current->rows();
    bool any = false;
    double bound = std::numeric_limits<double>::infinity();  // above the best s, once found
    auto test = [&](uint32_t slot) {
        Contact c;
        if (!engine::contact(m, engine::bounds_of(rows[slot]), c)) {
            return;
        }
        int order = any ? engine::compare(m, c, best.c) : -1;
        if (order < 0 || (order == 0 && slot < best.slot)) {
            best = {slot, c};
            any = true;
            bound = engine::s_above(m, c);
        }
    };
    // A piece of the walk that starts past the best s holds no earlier contact, nor an
    // equal one (equal ones go on: the earliest added wins).
    auto past = [&](double t) { return t > bound; };
    const engine::Segment path = engine::path_of(m);
    offer(st, test, [&](const QueryGrid &grid, auto &live) {
        engine::walk_segment(grid, st.current->drift, path, live, past, m.w, m.h);
    });
    return any;
}

// ---------------------------------------------------------------------------------------
// Sliding

// v in single precision, rounded towards `from` and kept between `from` and `to`.
double towards(double v, double from, double to) noexcept {
    float f = static_cast<float>(v);
    if (to > from && f > v) {
        f = std::nextafter(f, -std::numeric_limits<float>::infinity());
    } else if (to < from && f < v) {
        f = std::nextafter(f, std::numeric_limits<float>::infinity());
    }
    return std::clamp<double>(f, std::min(from, to), std::max(from, to));
}

// Where the rect goes, and what it met.
struct Slid {
    double x, y;
    bool moved;
};

struct Slide {
    const IndexState &st;
    PyObject *rect;
    Bounds start;  // the rect where it stands: the members it overlaps are passed through
    double w, h;

    std::vector<uint32_t> &near;  // the members any leg may meet

    bool skip(uint32_t slot, const Bounds &b) const noexcept {
        return st.members[slot].rect == rect || engine::overlap(start, b);
    }

    // Every leg runs within the box of the start and the first target (each coordinate
    // stays between the two), so the members a leg can meet are among those whose box
    // meets that box grown by the rect's size: gathered once, by one visit of the grid
    // (as a rect query's, with the margin of mover_of() for the roundings), less those
    // passed through.
    void gather(double x, double y, double tx, double ty) const {
        near.clear();
        Mover whole = engine::mover_of(x, y, w, h, tx - x, ty - y);
        if (whole.kind == Mover::none) {
            return;  // it overlaps nothing anywhere
        }
        const Row *rows = st.current->rows();
        auto reaches = [&](const Bounds &b) {
            return !(b.right <= whole.after.x1 || b.x >= whole.before.x2 ||
                     b.bottom <= whole.after.y1 || b.y >= whole.before.y2);
        };
        auto test = [&](uint32_t slot) {
            Bounds b = engine::bounds_of(rows[slot]);
            if (reaches(b) && !skip(slot, b)) {
                near.push_back(slot);
            }
        };
        // A member met at a position p of that box has b.x < p.x + w and b.right > p.x, so
        // its span meets [min(x, tx) + min(w, 0), max(x, tx) + max(w, 0)], widened here by
        // the margin of mover_of() for the sums' roundings.
        auto span = [](double a, double b, double size, double &low, double &high) {
            double margin = 0x1p-50 * (std::fabs(a) + std::fabs(b) + std::fabs(size)) + 0x1p-1000;
            low = std::min(a, b) + std::min(size, 0.0) - margin;
            high = std::max(a, b) + std::max(size, 0.0) + margin;
        };
        engine::Span q;
        span(x, tx, w, q.x1, q.x2);
        span(y, ty, h, q.y1, q.y2);
        offer(st, test, [&](const QueryGrid &grid, auto &live) {
            engine::Hits &none = t_visited;
            none.clear();
            // The box first: most fail, and their members need not be looked at.
            grid.visit(q, st.current->drift, [&](uint32_t slot) {
                if (reaches(engine::bounds_of(rows[slot]))) {
                    live(slot);
                }
                return false;
            }, none);
        });
    }

    // The first contact of `m` among the members gathered: least s, then a side before a
    // corner, then the earliest added.
    bool first(const Mover &m, Found &best) const {
        const Row *rows = st.current->rows();
        bool any = false;
        for (uint32_t slot : near) {
            Contact c;
            if (!engine::contact(m, engine::bounds_of(rows[slot]), c)) {
                continue;
            }
            int order = any ? engine::compare(m, c, best.c) : -1;
            if (order == 0 && c.corner != best.c.corner) {
                order = c.corner ? 1 : -1;
            }
            if (order < 0 || (order == 0 && slot < best.slot)) {
                best = {slot, c};
                any = true;
            }
        }
        return any;
    }
    // Whether the straight leg from (px, py) to (x, y) meets no member.
    bool free(double px, double py, double x, double y) const {
        if (x == px && y == py) {
            return true;
        }
        Found f;
        return !first(engine::mover_of(px, py, w, h, x - px, y - py), f);
    }

    // Whether (x, y) lies on the line from P to T, with T - P exact: then the leg that
    // reached the contact passed it. Decided where the differences and the cross products
    // are exact doubles (an exact product is its rounded value and its error, both unique);
    // elsewhere not known, and the leg to it is swept instead.
    static bool on_leg(double px, double py, double tx, double ty, double x, double y) noexcept {
        engine::TwoParts ox = engine::two_diff(tx, px), oy = engine::two_diff(ty, py);
        engine::TwoParts ax = engine::two_diff(x, px), ay = engine::two_diff(y, py);
        if (ox.lo != 0 || oy.lo != 0 || ax.lo != 0 || ay.lo != 0) {
            return false;
        }
        engine::TwoParts a = engine::two_product(ax.hi, oy.hi), b = engine::two_product(ay.hi, ox.hi);
        return a.hi == b.hi && a.lo == b.lo;
    }

    // The coordinate `at` of the axis met, moved (one float at a time, a few times at most)
    // until it overlaps the member on that axis no more, exactly: at most b.x - w moving
    // towards +, at least b.right moving towards -. NaN when that fails.
    double clear_of(double at, double from, double to, double near, double size, double far) const {
        for (int k = 0; k < 4; ++k) {
            bool inside;
            if (to > from) {
                double t[3] = {near, -size, -at};
                inside = engine::sweep_detail::sign_of_sum(t, 3) < 0;
            } else {
                inside = at < far;
            }
            if (!inside) {
                return at;
            }
            float f = static_cast<float>(at);
            at = std::nextafter(f, to > from ? -std::numeric_limits<float>::infinity()
                                             : std::numeric_limits<float>::infinity());
            if (to > from ? at < from : at > from) {
                return std::numeric_limits<double>::quiet_NaN();
            }
        }
        return std::numeric_limits<double>::quiet_NaN();
    }

    // Runs the legs from (x, y) towards (tx, ty), at most `steps` contacts, each taken into
    // `hits`. In the section.
    Slid run(double x, double y, double tx, double ty, Py_ssize_t steps,
             std::vector<Taken> &hits) const {
        const Row *rows = st.current->rows();
        gather(x, y, tx, ty);
        double px = x, py = y;
        for (Py_ssize_t k = 0; k < steps; ++k) {
            double ox = tx - px, oy = ty - py;
            if (ox == 0 && oy == 0) {
                break;
            }
            Mover m = engine::mover_of(px, py, w, h, ox, oy);
            Found f;
            if (!first(m, f)) {
                px = tx, py = ty;
                break;
            }
            hits.push_back({Ref::borrow(st.members[f.slot].value), m, f.c});
            if (f.c.axis == Contact::start) {
                break;  // overlapping where it stands, by exact values only: it stays
            }
            Bounds b = engine::bounds_of(rows[f.slot]);
            double at[2];
            engine::position_at(m, f.c, at);
            double cx = towards(at[0], px, tx), cy = towards(at[1], py, ty);
            bool on_x = f.c.axis == Contact::x;
            if (on_x) {
                cx = clear_of(cx, px, tx, b.x, w, b.right);
            } else {
                cy = clear_of(cy, py, ty, b.y, h, b.bottom);
            }
            if (std::isnan(on_x ? cx : cy)) {
                cx = px, cy = py;
            }
            // The candidate, else without the progress along the side, else none. A candidate
            // on the leg itself (the leg's offset exact, the candidate on its line, between
            // P and the contact) is free already: nothing was met before the contact.
            if (!on_leg(px, py, tx, ty, cx, cy) && !free(px, py, cx, cy)) {
                double kx = on_x ? cx : px, ky = on_x ? py : cy;
                if (free(px, py, kx, ky)) {
                    cx = kx, cy = ky;
                } else {
                    cx = px, cy = py;
                }
            }
            px = cx, py = cy;
            hits.back().placed = true;
            hits.back().at[0] = px, hits.back().at[1] = py;
            (on_x ? tx : ty) = on_x ? px : py;
        }
        return {px, py, px != x || py != y};
    }
};

// Writes the rect's position: in place into an exact Vector2's record, as its in-place
// addition stores (each component one relaxed atomic store of a single-precision value),
// else through attribute access, `rect.position.x = x` then `.y`. False with an exception
// set.
bool write_position(PyObject *rect, double x, double y) {
    if (record_stands_for_components(g_state.types.vector2, 2)) {
        PyTypeObject *vector2 = g_state.types.vector2.type;
        bool stored = with_fields(reinterpret_cast<RectObject *>(rect),
                                  [&](PyObject *position, PyObject *) {
                                      if (!Py_IS_TYPE(position, vector2)) {
                                          return false;
                                      }
                                      auto &data = reinterpret_cast<Vector2Object *>(position)->data;
                                      std::atomic_ref<float>(data.x).store(
                                          static_cast<float>(x), std::memory_order_relaxed);
                                      std::atomic_ref<float>(data.y).store(
                                          static_cast<float>(y), std::memory_order_relaxed);
                                      return true;
                                  });
        if (stored) {
            return true;
        }
    }
    Ref position = Ref::steal(PyObject_GetAttr(rect, g_state.position_name));
    if (!position) {
        return false;
    }
    for (auto [name, v] : {std::pair{"x", x}, std::pair{"y", y}}) {
        Ref value = Ref::steal(PyFloat_FromDouble(v));
        if (!value || PyObject_SetAttrString(position.get(), name, value.get()) < 0) {
            return false;
        }
    }
    return true;
}

PyObject *hit_list(std::vector<Taken> &taken) {
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(taken.size())));
    if (!list) {
        return nullptr;
    }
    for (size_t k = 0; k < taken.size(); ++k) {
        Taken &h = taken[k];
        PyObject *hit;
        if (h.placed) {
            double normal[2];
            engine::normal_of(h.m, h.c, normal);
            hit = new_hit(std::move(h.value), engine::s_of(h.m, h.c), h.at, normal);
        } else {
            hit = hit_of(std::move(h.value), h.m, h.c);
        }
        if (hit == nullptr) {
            return nullptr;
        }
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), hit);
    }
    return list.release();
}

}  // namespace

PyObject *index_sweep(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
    Mover m;
    if (!require_ready(g_state.types) || !match(kSweep, args, nargs) ||
        !read_mover("sweep", args[0], args[1], m)) {
        return nullptr;
    }
    std::vector<Taken> taken;
    bool done = with_state(self, false, [&](IndexState &st) {
        Found f;
        if (first_contact(st, m, f)) {
            taken.push_back({Ref::borrow(st.members[f.slot].value), m, f.c});
        }
        return true;
    });
    if (!done) {
        return nullptr;
    }
    if (taken.empty()) {
        return Py_NewRef(Py_None);
    }
    return hit_of(std::move(taken[0].value), m, taken[0].c);
}

PyObject *index_slide(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                      PyObject *kwnames) {
    PyObject *got[3];
    if (!require_ready(g_state.types) || !match(kSlide, args, nargs, kwnames, got)) {
        return nullptr;
    }
    PyObject *rect = got[0];
    if (!is_rect(g_state.types, rect)) {
        PyErr_Format(PyExc_TypeError, "slide() argument 'rect' must be %s, not %T",
                     kRectName.full, rect);
        return nullptr;
    }
    Row row;
    double d[2];
    if (!read_record(rect, &row) && !read_row(rect, &row)) {
        return nullptr;
    }
    if (!read_offset("slide", got[1], d)) {
        return nullptr;
    }
    Py_ssize_t steps = 3;
    if (got[2] != nullptr &&
        (steps = PyNumber_AsSsize_t(got[2], nullptr)) == -1 && PyErr_Occurred()) {
        return nullptr;
    }
    if (steps < 1) {
        PyErr_SetString(PyExc_ValueError, "slide() argument 'steps' must be 1 or more");
        return nullptr;
    }
    if (!std::isfinite(d[0]) || !std::isfinite(d[1])) {
        PyErr_Format(PyExc_ValueError, "slide() takes a finite offset: got (%R, %R)",
                     Ref::steal(PyFloat_FromDouble(d[0])).get(),
                     Ref::steal(PyFloat_FromDouble(d[1])).get());
        return nullptr;
    }
    // The target, as `rect.position += offset` stores it.
    double tx = static_cast<float>(row.x + d[0]), ty = static_cast<float>(row.y + d[1]);
    std::vector<Taken> taken;
    Slid slid{};
    bool done = with_state(self, false, [&](IndexState &st) {
        Slide s{st, rect, {row.x, row.x + row.w, row.y, row.y + row.h}, row.w, row.h, t_near};
        slid = s.run(row.x, row.y, tx, ty, steps, taken);
        return true;
    });
    if (!done) {
        return nullptr;
    }
    if (slid.moved && !write_position(rect, slid.x, slid.y)) {
        return nullptr;
    }
    return hit_list(taken);
}

}  // namespace tessel::collide
