// The definition of a module of the package other than the rect module (which has a
// start-up of its own, rect/module.cpp): its exec step, one interpreter only (its state, as
// the types it imports, is process-wide), and the global lock declared used, as the rect
// module declares it, for now.
#ifndef TESSEL_COMMON_MODULE_HPP
#define TESSEL_COMMON_MODULE_HPP

#include <Python.h>

namespace tessel {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
template <int (*Exec)(PyObject *)>
inline PyModuleDef_Slot kModuleSlots[] = {
    {Py_mod_exec, reinterpret_cast<void *>(Exec)},
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
#ifdef Py_mod_gil
    {Py_mod_gil, Py_MOD_GIL_USED},
#endif
    {0, nullptr},
};
#pragma GCC diagnostic pop

// The module `name`, documented by `doc`, with `functions` and the slots above.
template <int (*Exec)(PyObject *)>
PyModuleDef module_definition(const char *name, const char *doc, PyMethodDef *functions) noexcept {
    PyModuleDef definition{};
    definition.m_base = PyModuleDef_HEAD_INIT;
    definition.m_name = name;
    definition.m_doc = doc;
    definition.m_size = 0;  // all state is process-wide
    definition.m_methods = functions;
    definition.m_slots = kModuleSlots<Exec>;
    return definition;
}

}  // namespace tessel

#endif
