// The private module tessel.collide._testing: the hooks by which the tests steer and watch
// the engine's settings (which pair kernel this thread's calls use, which one ran, what
// memory the pool keeps). It is made by the collide module's start-up, in the same shared
// object, so that it steers the very settings the module's calls read; and kept out of the
// public module, whose names are its API.
#include <Python.h>

#include <cmath>
#include <iterator>

#include "common/call.hpp"
#include "common/ref.hpp"
#include "engine/pair_kernels.hpp"
#include "functions.hpp"
#include "workspace.hpp"

namespace tessel::collide {
namespace {

using engine::Kernel;

// The kernels by the names the tests give them: "auto" to choose, "none" as the last of a
// call that ran none. An index's own query grid cannot be forced, only seen.
struct KernelName {
    const char *name;
    Kernel kernel;
    bool forced;
};
constexpr KernelName kKernelNames[] = {
    {"auto", Kernel::none, true},        {"grid", Kernel::uniform_grid, true},
    {"sweep", Kernel::axis_sweep, true}, {"tree", Kernel::tree_sweep, true},
    {"every", Kernel::every_pair, true}, {"index", Kernel::query_grid, false},
};

PyObject *use_kernel_hook(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (nargs < 1 || nargs > 2) {
        PyErr_SetString(PyExc_TypeError, "_use_kernel(name, cell=0.0)");
        return nullptr;
    }
    double cell = nargs == 2 ? PyFloat_AsDouble(args[1]) : 0;
    if (cell == -1 && PyErr_Occurred()) {
        return nullptr;
    }
    if (!(cell >= 0) || !std::isfinite(cell)) {
        PyErr_SetString(PyExc_ValueError, "a cell side must be finite, and 0 or positive");
        return nullptr;
    }
    for (const KernelName &k : kKernelNames) {
        if (k.forced && PyUnicode_Check(args[0]) &&
            PyUnicode_CompareWithASCIIString(args[0], k.name) == 0) {
            engine::use_kernel(k.kernel, cell);
            Py_RETURN_NONE;
        }
    }
    PyErr_Format(PyExc_ValueError, "no kernel named %R", args[0]);
    return nullptr;
}

PyObject *last_kernel_hook(PyObject *, PyObject *) {
    Kernel last = engine::last_kernel();
    for (const KernelName &k : kKernelNames) {
        if (k.kernel == last && last != Kernel::none) {
            return PyUnicode_FromString(k.name);
        }
    }
    return PyUnicode_FromString("none");
}

PyObject *kept_bytes_hook(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (nargs > 1) {
        PyErr_SetString(PyExc_TypeError, "_kept_bytes(limit=None)");
        return nullptr;
    }
    auto &pool = engine::Pool<Workspace>::shared();
    if (nargs == 1 && args[0] != Py_None) {
        size_t limit = PyLong_AsSize_t(args[0]);
        if (limit == static_cast<size_t>(-1) && PyErr_Occurred()) {
            return nullptr;
        }
        pool.keep_at_most(limit);
    }
    return PyLong_FromSize_t(pool.kept_bytes());
}

PyMethodDef kHooks[] = {
    {"_use_kernel", as_method(use_kernel_hook), METH_FASTCALL,
     PyDoc_STR("_use_kernel(name, cell=0.0)\n--\n\n"
               "Makes the pair calls of this thread use the kernel named (\"auto\": the "
               "choice), with cells of side `cell` for the grid (0: chosen).")},
    {"_last_kernel", last_kernel_hook, METH_NOARGS,
     PyDoc_STR("_last_kernel()\n--\n\nThe kernel of this thread's last pair call.")},
    {"_kept_bytes", as_method(kept_bytes_hook), METH_FASTCALL,
     PyDoc_STR("_kept_bytes(limit=None)\n--\n\n"
               "The bytes the pool of working memory keeps; with a limit, first keeps at most "
               "that many.")},
    {nullptr, nullptr, 0, nullptr},
};

constexpr const char *kName = "tessel.collide._testing";

}  // namespace

bool add_testing_module() noexcept {
    Ref module = Ref::steal(PyModule_New(kName));
    if (!module || PyModule_AddFunctions(module.get(), kHooks) < 0 ||
        PyModule_SetDocString(module.get(), "Test hooks of tessel.collide.collide: not an API.") <
            0 ||
        PyDict_SetItemString(PyImport_GetModuleDict(), kName, module.get()) < 0) {
        return false;
    }
    // Found by `from tessel.collide import _testing` too, as a submodule is, when the
    // package is there (it is, but for a module loaded by hand).
    Ref name = Ref::steal(PyUnicode_FromString("tessel.collide"));
    Ref package = name ? Ref::steal(PyImport_GetModule(name.get())) : Ref();
    if (!package) {
        return name && !PyErr_Occurred();
    }
    return PyObject_SetAttrString(package.get(), "_testing", module.get()) == 0;
}

}  // namespace tessel::collide
