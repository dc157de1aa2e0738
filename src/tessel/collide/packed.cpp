// The packed boxes' type: a read-only buffer of shape (n, 4) and format 'd', made only by the
// index (it cannot be called).
#include "packed.hpp"

#include <new>

namespace tessel::collide {
namespace {

struct PackedObject {
    PyObject_HEAD
    std::vector<Row> rows;
};

PackedObject *as_packed(PyObject *o) noexcept { return reinterpret_cast<PackedObject *>(o); }

void packed_dealloc(PyObject *self) {
    as_packed(self)->rows.~vector();
    Py_TYPE(self)->tp_free(self);
}

// A view's shape and strides live as long as the view: they are allocated with it.
int packed_getbuffer(PyObject *self, Py_buffer *view, int flags) {
    view->obj = nullptr;
    if ((flags & PyBUF_WRITABLE) == PyBUF_WRITABLE) {
        PyErr_SetString(PyExc_BufferError, "the boxes of an index are read-only");
        return -1;
    }
    auto *layout = static_cast<Py_ssize_t *>(PyMem_Malloc(4 * sizeof(Py_ssize_t)));
    if (layout == nullptr) {
        PyErr_NoMemory();
        return -1;
    }
    static double nothing[4];
    std::vector<Row> &rows = as_packed(self)->rows;
    Py_ssize_t n = static_cast<Py_ssize_t>(rows.size());
    layout[0] = n;
    layout[1] = 4;
    layout[2] = sizeof(Row);
    layout[3] = sizeof(double);
    view->buf = rows.empty() ? static_cast<void *>(nothing) : static_cast<void *>(rows.data());
    view->obj = Py_NewRef(self);
    view->len = n * static_cast<Py_ssize_t>(sizeof(Row));
    view->readonly = 1;
    view->itemsize = sizeof(double);
    view->format = (flags & PyBUF_FORMAT) ? const_cast<char *>("d") : nullptr;
    view->ndim = (flags & PyBUF_ND) ? 2 : 1;
    view->shape = (flags & PyBUF_ND) ? layout : nullptr;
    view->strides = (flags & PyBUF_STRIDES) == PyBUF_STRIDES ? layout + 2 : nullptr;
    view->suboffsets = nullptr;
    view->internal = layout;
    return 0;
}

void packed_releasebuffer(PyObject *, Py_buffer *view) { PyMem_Free(view->internal); }

PyBufferProcs kPackedBuffer = {packed_getbuffer, packed_releasebuffer};

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
PyTypeObject PackedType = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = "tessel.collide.collide._PackedBoxes",
    .tp_basicsize = sizeof(PackedObject),
    .tp_itemsize = 0,
    .tp_dealloc = packed_dealloc,
    .tp_as_buffer = &kPackedBuffer,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    .tp_doc = PyDoc_STR("The packed boxes of an index: x, y, w, h per rect."),
};
#pragma GCC diagnostic pop

Ref new_packed() noexcept {
    PyObject *o = PackedType.tp_alloc(&PackedType, 0);
    if (o != nullptr) {
        new (&as_packed(o)->rows) std::vector<Row>();
    }
    return Ref::steal(o);
}

std::vector<Row> &rows_of(PyObject *packed) noexcept { return as_packed(packed)->rows; }

}  // namespace tessel::collide
