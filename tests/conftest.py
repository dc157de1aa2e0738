import ctypes
import sysconfig
from pathlib import Path

import pytest

FREE_THREADED = bool(sysconfig.get_config_var("Py_GIL_DISABLED"))
REPO = Path(__file__).resolve().parents[1]


def _capsule_api():
    api = ctypes.pythonapi
    api.PyCapsule_GetPointer.restype = ctypes.c_void_p
    api.PyCapsule_GetPointer.argtypes = [ctypes.py_object, ctypes.c_char_p]
    api.PyCapsule_GetName.restype = ctypes.c_char_p
    api.PyCapsule_GetName.argtypes = [ctypes.py_object]
    return api


# Set up once, at import: threads of a parallel run must not retype the shared functions
# while others call them.
CAPSULE_API = _capsule_api()


@pytest.fixture(scope="session")
def capsule_api():
    return CAPSULE_API


@pytest.fixture(scope="session")
def vtable_new():
    """The first entry (__pyx_new) of a type's published method table, callable from Python."""

    def entry(cls, nargs):
        table = CAPSULE_API.PyCapsule_GetPointer(cls.__dict__["__pyx_vtable__"], None)
        address = ctypes.c_void_p.from_address(table).value
        prototype = ctypes.PYFUNCTYPE(ctypes.py_object, *[ctypes.c_double] * nargs)
        return prototype(address)

    return entry
