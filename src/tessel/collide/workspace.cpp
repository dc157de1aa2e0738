// The ints a workspace keeps, and what a workspace holds.
#include "workspace.hpp"

#include <new>

#include "engine/held.hpp"

namespace tessel::collide {

using engine::drop;
using engine::held;

bool Ints::reserve(size_t n) noexcept {
    if (n > of_.size()) {
        try {
            of_.resize(n, nullptr);
        } catch (const std::bad_alloc &) {
            PyErr_NoMemory();
            return false;
        }
    }
    return true;
}

size_t Ints::bytes() const noexcept {
    // An int above the interpreter's cached ones takes about 32 bytes.
    return held(of_) + 32 * of_.size();
}

void Ints::release() noexcept {
    for (PyObject *o : of_) {
        Py_XDECREF(o);
    }
    drop(of_);
}

size_t Workspace::bytes() const noexcept {
    return held(boxes) + held(pairs) + ints.bytes() + kernels.grid.bytes() + kernels.axis.bytes() +
           kernels.tree.bytes() + kernels.order.bytes();
}

void Workspace::trim(size_t limit) noexcept {
    engine::trim_largest(limit, boxes, pairs, ints, kernels.grid, kernels.axis, kernels.tree,
                         kernels.order);
}

}  // namespace tessel::collide
