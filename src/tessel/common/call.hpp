// How the interpreter calls the package's functions: the cast that puts a C function of any
// calling convention in a method table, and the one matcher of a call's arguments to a
// function's parameters, for the collide and geometry modules and the Index.
//
//   constexpr Parameter kParams[] = {{"rects"}, {"flat", Pass::keyword, Take::truth}};
//   constexpr Signature kPairs{"overlapping_pairs", Messages::own, 1, kParams};
//   PyObject *got[2];
//   if (!match(kPairs, args, nargs, kwnames, got)) return nullptr;
//   bool flat = truth(got[1]);
//
// Each module keeps the refusals it has always given: the package's own texts, or, for the
// Index and its add(), those of the interpreter's argument parser. (The rect module matches
// its methods' arguments itself, rect/args.hpp: its texts and frames are part of its
// contract.)
#ifndef TESSEL_COMMON_CALL_HPP
#define TESSEL_COMMON_CALL_HPP

#include <Python.h>

#include <cstddef>

namespace tessel {

// A C function as the PyCFunction of a PyMethodDef, whatever its calling convention
// (METH_FASTCALL, METH_KEYWORDS, ...): the flags next to it say how it is called.
template <class F> PyCFunction as_method(F *f) noexcept {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}

// How an argument may be given.
enum class Pass { position, either, keyword };
// What is kept of it: the object, or its truth (PyObject_IsTrue, taken as it is matched, so
// in the order given), kept as Py_True or Py_False.
enum class Take { object, truth };

struct Parameter {
    const char *name;
    Pass pass = Pass::position;
    Take take = Take::object;
};

// The refusals a function gives.
enum class Messages {
    // The package's own: "f() takes exactly 2 arguments (1 given)", "f() takes from 2 to 3
    // arguments (1 given)", "f() got an unexpected keyword argument 'x'". Positional
    // parameters come by position only, keyword-only ones by keyword.
    own,
    // The interpreter's argument parser's, whatever they are in the running version
    // (counts, missing and repeated arguments, unknown keywords with suggestions): made by
    // PyArg_ParseTupleAndKeywords itself from the arguments refused. Every parameter may
    // come by position or by keyword (Pass::either), and is taken as an object.
    interpreter,
};

// A function's parameters, in order: those that may come by position first, the first
// `required` of them required; then the keyword-only ones.
struct Signature {
    static constexpr int kMost = 4;

    const char *function;  // as the refusals name it
    Messages messages;
    int required;
    const Parameter *parameters;
    int count;

    template <int N>
    constexpr Signature(const char *name, Messages m, int needed, const Parameter (&p)[N]) noexcept
        : function(name), messages(m), required(needed), parameters(p), count(N) {
        static_assert(N <= kMost);
    }
    // Parameters only by position: `required` of them, up to `most`.
    constexpr Signature(const char *name, int needed, int most) noexcept
        : function(name), messages(Messages::own), required(needed), parameters(nullptr),
          count(most) {}

    int positional() const noexcept;
};

// Matches a call's arguments (fastcall: `kwnames` the names of the keyword arguments that
// follow the positional ones, or null) to the signature's parameters: out[i] is a borrowed
// reference to the argument of parameter i, or null where it was not given. False with the
// refusal, or the error of a truth taken, set.
bool match(const Signature &s, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames,
           PyObject **out) noexcept;
// A call of positional arguments only (METH_FASTCALL): their count checked.
inline bool match(const Signature &s, PyObject *const *args, Py_ssize_t nargs) noexcept {
    return match(s, args, nargs, nullptr, nullptr);
}
// The same for a call made with a tuple and a dict (or null), as tp_init is.
bool match(const Signature &s, PyObject *args, PyObject *kwargs, PyObject **out) noexcept;

// The truth of a Take::truth parameter, false where it was not given.
inline bool truth(PyObject *matched) noexcept { return matched == Py_True; }

}  // namespace tessel

#endif
