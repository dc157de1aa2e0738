// clip_line(): the part of a segment inside a rect, by the segment rule of the collide
// module's lines of sight (engine/segment.hpp): entered and left exactly on the rect's edges
// as its properties compute them.
#include "common/arguments.hpp"
#include "common/call.hpp"
#include "engine/segment.hpp"
#include "functions.hpp"

namespace tessel::geometry {
namespace {

constexpr Signature kClipLine{"clip_line", 3, 3};

}  // namespace

PyObject *clip_line(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    double v[4], start[2], end[2];
    if (!require_ready(g_types) || !match(kClipLine, args, nargs) ||
        !read_rect_values(g_types, args[0], v, Accept::peers) ||
        !read_point(g_types, args[1], start, Accept::peers) ||
        !read_point(g_types, args[2], end, Accept::peers)) {
        return nullptr;
    }
    engine::Segment s = engine::segment_of(start[0], start[1], end[0], end[1]);
    engine::Bounds box{v[0], v[0] + v[2], v[1], v[1] + v[3]};
    engine::Crossing c;
    if (!engine::cross(s, box, c, true)) {
        return Py_NewRef(Py_None);
    }
    double in[2], out[2];
    engine::point_of(s, box, c.in, false, in);
    engine::point_of(s, box, c.out, true, out);
    return Py_BuildValue("((dd)(dd))", in[0], in[1], out[0], out[1]);
}

}  // namespace tessel::geometry
