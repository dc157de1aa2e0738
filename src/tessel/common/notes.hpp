// Notes on the exception being raised, naming what was being done when it was raised
// (`while reading rects[3]`), as Python's own add_note() adds them.
#ifndef TESSEL_COMMON_NOTES_HPP
#define TESSEL_COMMON_NOTES_HPP

#include <Python.h>

#include <cstdarg>

#include "common/ref.hpp"

namespace tessel {

// Adds the note PyUnicode_FromFormat(format, ...) makes. A note that cannot be made or added
// leaves the exception as it was.
inline void add_note(const char *format, ...) noexcept {
    PyObject *exc = PyErr_GetRaisedException();
    va_list args;
    va_start(args, format);
    Ref note = Ref::steal(PyUnicode_FromFormatV(format, args));
    va_end(args);
    if (note) {
        Ref done = Ref::steal(PyObject_CallMethod(exc, "add_note", "O", note.get()));
    }
    PyErr_Clear();
    PyErr_SetRaisedException(exc);
}

}  // namespace tessel

#endif
