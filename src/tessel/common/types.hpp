// The package's types as one module imports them: Rect, Vector2 and Vector4, each with its
// method table, checked at import by one set of rules with one set of errors (the rect
// module's, which are part of its contract: docs/contract.md), and the reading of their
// components through the types' own attribute access.
//
// A module keeps one PackageTypes for the life of the process and fills it at start-up:
// the rect module imports the two vector types with import_type (its own Rect it records
// itself), any other module imports all three with import_package_types:
//
//   PackageTypes g_types{"tessel.mine.mine"};          // the module's name, for its errors
//   exec:      if (!import_package_types(g_types)) return -1;
//              ...;  g_types.mark_complete();  return 0;
//   functions: is_rect(g_types, o), read_point(g_types, arg, xy, accept) (common/arguments.hpp),
//              g_types.rect_table()->collide_rect(rect, other, 1), field(rect, f) ...
//
// A Rect so imported is the rect module's own type, so a RectObject may be read in place
// (through common/fields.hpp). A vector's record may be read in place only where its
// ImportedType is `own` and has the descriptor of each component read.
#ifndef TESSEL_COMMON_TYPES_HPP
#define TESSEL_COMMON_TYPES_HPP

#include <Python.h>

#include <atomic>
#include <initializer_list>

#include "common/number.hpp"
#include "common/ref.hpp"
#include "tessel/rect.h"

namespace tessel {

// The full names of the package's types, as their modules define them.
struct TypeName {
    const char *module;
    const char *name;
    const char *full;
};
inline constexpr TypeName kRectName = {"tessel.rect.rect", "Rect", "tessel.rect.rect.Rect"};
inline constexpr TypeName kVector2Name = {"tessel.vector2.vector2", "Vector2",
                                          "tessel.vector2.vector2.Vector2"};
inline constexpr TypeName kVector4Name = {"tessel.vector4.vector4", "Vector4",
                                          "tessel.vector4.vector4.Vector4"};

// A vector's components, in the order of Vector4's; a Vector2 has the first two.
enum class Component : int { x, y, z, w };

// One imported type. Its reference is held for the life of the process, as the type is.
struct ImportedType {
    PyTypeObject *type = nullptr;
    void *table = nullptr;  // the method table its __pyx_vtable__ capsule points at
    // The descriptor of each component (x, y, z, w) that an exact instance's attribute
    // access always ends in, where calling it directly is the very same; else null.
    PyGetSetDef *components[4] = {};
    // Whether it is the type its module itself defines (a static type of that full name
    // and of the record's exact size): only then may a record be read in place.
    bool own = false;
};

struct PackageTypes {
    const char *module;  // the module these serve, named by its not-ready error
    ImportedType rect, vector2, vector4;
    PyObject *names[4] = {};  // "x", "y", "z", "w", interned
    // Set once, when the module's start-up has completed, and never cleared. Until then a
    // type may not be recorded yet (an argument of that type is then refused as not ready).
    std::atomic<bool> complete{false};

    constexpr explicit PackageTypes(const char *module_name) noexcept : module(module_name) {}
    bool ready() const noexcept { return complete.load(std::memory_order_acquire); }
    void mark_complete() noexcept { complete.store(true, std::memory_order_release); }
    RectVTable *rect_table() const noexcept { return static_cast<RectVTable *>(rect.table); }
    Vector2VTable *vector2_table() const noexcept {
        return static_cast<Vector2VTable *>(vector2.table);
    }
    Vector4VTable *vector4_table() const noexcept {
        return static_cast<Vector4VTable *>(vector4.table);
    }
};

// Makes the interned component names (kept from an earlier, failed start-up); false with
// an exception set.
bool make_component_names(PackageTypes &t) noexcept;

// The ImportError "module '<module>' is not ready: its import did not complete", for an
// operation reached before the start-up has completed (during it, or after a failed one).
// Returns false.
bool raise_not_ready(const PackageTypes &t) noexcept;
inline bool require_ready(const PackageTypes &t) noexcept {
    return t.ready() || raise_not_ready(t);
}

// A type and method table already in use, by the name it serves under: an imported type
// that is one of them would be called through a table of another layout.
struct Taken {
    const char *name;
    const PyTypeObject *type;
    const void *table;
};

// Imports a type with its method table into *out (only on success), with these errors, in
// this order: the import's or the attribute lookup's own; TypeError unless it is a type
// (or, with `own_only`, unless it is the type its module defines); ValueError, or a
// RuntimeWarning, when its instances are smaller, or larger, than `expected` bytes;
// KeyError without __pyx_vtable__, the capsule's own error, or RuntimeError for a null
// table; TypeError when it is, or publishes the table of, a type in `taken`. False with an
// exception set. `expected` is the size of the record in its C header.
bool import_type(const TypeName &name, Py_ssize_t expected, bool own_only,
                 std::initializer_list<Taken> taken, ImportedType *out) noexcept;

// Rect (which must be the rect module's own type: its records are read in place), then
// Vector2 and Vector4, each refused if it is a type already in use; for a module other than
// the rect module. False with an exception set.
bool import_package_types(PackageTypes &t) noexcept;

inline bool is_rect(const PackageTypes &t, PyObject *o) noexcept {
    return PyObject_TypeCheck(o, t.rect.type);
}
inline bool is_vector2(const PackageTypes &t, PyObject *o) noexcept {
    return PyObject_TypeCheck(o, t.vector2.type);
}
inline bool is_vector4(const PackageTypes &t, PyObject *o) noexcept {
    return PyObject_TypeCheck(o, t.vector4.type);
}

// The descriptor to call for component c of `o`, or nullptr: an exact vector type is a
// static, immutable type with the generic attribute access and no instance dict, so its
// attribute access always ends in this descriptor; subtypes take the general path.
inline PyGetSetDef *component_def(const PackageTypes &t, PyObject *o, Component c) noexcept {
    PyTypeObject *type = Py_TYPE(o);
    if (type == t.vector2.type) {
        return t.vector2.components[static_cast<int>(c)];
    }
    if (type == t.vector4.type) {
        return t.vector4.components[static_cast<int>(c)];
    }
    return nullptr;
}

// o.<c> by o's own attribute access (a subtype that redefines it is honoured).
inline Ref read_component(const PackageTypes &t, PyObject *o, Component c) noexcept {
    if (PyGetSetDef *def = component_def(t, o, c); def != nullptr && def->get != nullptr)
        [[likely]] {
        return Ref::steal(def->get(o, def->closure));
    }
    PyObject *name = t.names[static_cast<int>(c)];
    getattrofunc get = Py_TYPE(o)->tp_getattro;
    return Ref::steal(get ? get(o, name) : PyObject_GetAttr(o, name));
}

// o.<c> = value by o's own attribute access; false with an exception set.
inline bool write_component(const PackageTypes &t, PyObject *o, Component c,
                            PyObject *value) noexcept {
    if (PyGetSetDef *def = component_def(t, o, c); def != nullptr && def->set != nullptr) {
        return def->set(o, value, def->closure) >= 0;
    }
    PyObject *name = t.names[static_cast<int>(c)];
    setattrofunc set = Py_TYPE(o)->tp_setattro;
    return (set ? set(o, name, value) : PyObject_SetAttr(o, name, value)) >= 0;
}

// Components first .. first + count - 1 of `o`, each converted to a double before the next
// is read; false with an exception set.
inline bool component_doubles(const PackageTypes &t, PyObject *o, Component first, int count,
                              double *out) noexcept {
    for (int k = 0; k < count; ++k) {
        Ref value = read_component(t, o, static_cast<Component>(static_cast<int>(first) + k));
        if (!value || !to_double(value.get(), &out[k])) {
            return false;
        }
    }
    return true;
}

}  // namespace tessel

#endif
