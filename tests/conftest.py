import ctypes
import gc
import os
import sys
import sysconfig
from pathlib import Path

import pytest
from hypothesis import settings

FREE_THREADED = bool(sysconfig.get_config_var("Py_GIL_DISABLED"))
REPO = Path(__file__).resolve().parents[1]
# Tests sit in a folder per module (rect, vectors, collide, geometry, package); what they
# share sits in support/, importable from every one of them.
SUPPORT = Path(__file__).resolve().parent / "support"
sys.path.insert(0, str(SUPPORT))

# scripts/test runs the suite in several passes, one of each kind below, and names the kind
# of the current pass in TESSEL_PASS and the kinds of all its passes in TESSEL_PASSES. A
# test marked passes(kind, ...) can catch a fault only in those kinds of pass: it runs in
# each of them that the run has (in the run's first pass when it has none of them) and is
# deselected in the others. Run by hand, without TESSEL_PASS, every test runs.
PASS_KINDS = ("default", "free-threaded", "debug", "sanitizer", "parallel")
ONE_THREAD_PASSES = PASS_KINDS[:-1]
PASS = os.environ.get("TESSEL_PASS")
PASSES = os.environ.get("TESSEL_PASSES", PASS or "").split()

# In the parallel pass every test runs in four threads at once, which together draw as many
# examples as one thread draws in the other passes.
settings.register_profile("parallel", max_examples=25)
if PASS == "parallel":
    settings.load_profile("parallel")


def growth(operation, rounds=400, warm=20):
    """How far `rounds` calls of `operation` move the total reference count and the allocated
    blocks (a debug interpreter's), after `warm` calls that fill caches (code objects,
    interned names, method caches)."""

    def measure(times):
        for _ in range(times):
            operation()
        gc.collect()
        return sys.gettotalrefcount(), sys.getallocatedblocks()

    measure(warm)
    refs0, blocks0 = measure(1)
    refs1, blocks1 = measure(rounds)
    return refs1 - refs0, blocks1 - blocks0


def pytest_configure(config):
    config.addinivalue_line(
        "markers", "passes(*kinds): run only in these kinds of pass of scripts/test "
        f"(of {', '.join(PASS_KINDS)}), see tests/conftest.py")


def pytest_collection_modifyitems(config, items):
    if PASS is None:
        return
    kept, dropped = [], []
    for item in items:
        mark = item.get_closest_marker("passes")
        wanted = ([k for k in mark.args if k in PASSES] or PASSES[:1]) if mark else [PASS]
        (kept if PASS in wanted else dropped).append(item)
    if dropped:
        config.hook.pytest_deselected(items=dropped)
        items[:] = kept


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
