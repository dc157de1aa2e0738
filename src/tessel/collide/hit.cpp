// The Hit type and the making of its instances.
#include "hit.hpp"

namespace tessel::collide {

// Zero until the start-up readies it; static and immutable once it has.
PyTypeObject HitType;

namespace {

// The stub's (collide.pyi) first paragraphs, which hold the rest.
PyStructSequence_Field kHitFields[] = {
    {"value", PyDoc_STR("What was hit: the rect's index in `rects` for the module's functions, "
                        "the member's\nvalue for an `Index`.")},
    {"t", PyDoc_STR("Where along the segment it was hit: the point is start + t * (end - "
                    "start), 0 <= t <= 1.")},
    {"point", PyDoc_STR("The point hit, (x, y) as floats: on the side entered, exactly on its "
                        "edge; the start\nitself when the segment starts inside.")},
    {"normal", PyDoc_STR("The outward normal of the side entered, (nx, ny) as floats: (-1, 0) "
                         "left, (1, 0)\nright, (0, -1) top, (0, 1) bottom (y grows downwards); "
                         "(0, 0) when the segment\nstarts inside the rect.")},
    {nullptr, nullptr},
};

PyStructSequence_Desc kHitDesc = {
    "tessel.collide.collide.Hit",
    PyDoc_STR("Where a segment meets a rect: `value` (what was hit), `t`, `point` and "
              "`normal`, as a\nnamed, immutable tuple (`value, t, point, normal = hit`)."),
    kHitFields,
    4,
};

// The five normals, made once and kept for the life of the process, as the type is: a
// Hit shares them.
PyObject *g_normals[5];

int normal_index(const double n[2]) noexcept {
    return n[0] < 0 ? 1 : n[0] > 0 ? 2 : n[1] < 0 ? 3 : n[1] > 0 ? 4 : 0;
}

}  // namespace

bool add_hit_type(PyObject *module) noexcept {
    if (!(HitType.tp_flags & Py_TPFLAGS_READY) &&
        PyStructSequence_InitType2(&HitType, &kHitDesc) < 0) {
        return false;
    }
    constexpr double kNormals[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (int i = 0; i < 5; ++i) {
        if (g_normals[i] == nullptr &&
            (g_normals[i] = Py_BuildValue("(dd)", kNormals[i][0], kNormals[i][1])) == nullptr) {
            return false;
        }
    }
    return PyModule_AddObjectRef(module, "Hit", reinterpret_cast<PyObject *>(&HitType)) == 0;
}

PyObject *new_hit(Ref value, const engine::Segment &segment, const engine::Bounds &box,
                  const engine::Side &side) noexcept {
    double point[2], normal[2];
    engine::point_of(segment, box, side, false, point);
    engine::normal_of(segment, side, normal);
    return new_hit(std::move(value), engine::t_of(segment, side), point, normal);
}

PyObject *new_hit(Ref value, double t, const double point[2], const double normal[2]) noexcept {
    Ref hit = Ref::steal(PyStructSequence_New(&HitType));
    Ref at = hit ? Ref::steal(PyFloat_FromDouble(t)) : Ref();
    Ref px = at ? Ref::steal(PyFloat_FromDouble(point[0])) : Ref();
    Ref py = px ? Ref::steal(PyFloat_FromDouble(point[1])) : Ref();
    Ref xy = py ? Ref::steal(PyTuple_New(2)) : Ref();
    if (!xy) {
        return nullptr;
    }
    PyTuple_SET_ITEM(xy.get(), 0, px.release());
    PyTuple_SET_ITEM(xy.get(), 1, py.release());
    PyStructSequence_SetItem(hit.get(), 0, value.release());
    PyStructSequence_SetItem(hit.get(), 1, at.release());
    PyStructSequence_SetItem(hit.get(), 2, xy.release());
    PyStructSequence_SetItem(hit.get(), 3, Py_NewRef(g_normals[normal_index(normal)]));
    return hit.release();
}

}  // namespace tessel::collide
