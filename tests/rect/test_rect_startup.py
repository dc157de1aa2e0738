"""Loading the rect module: what it publishes, how it refuses a second interpreter or a
second initialisation, and how it checks the vector types it is built on."""

import importlib
import sys

import pytest

import tessel.rect.rect as rect_module
from rect_support import (ENTRIES, FREE_THREADED, HEADER, SOURCE, Rect, fresh_interpreter,
                          run_python, size_changed)


def test_module_publishes_the_class_the_unpickler_and_an_empty_test_dict():
    assert rect_module.Rect is Rect and callable(rect_module.__pyx_unpickle_Rect)
    assert rect_module.__test__ == {} and type(rect_module.__test__) is dict
    assert type(Rect.__dict__["__pyx_vtable__"]).__name__ == "PyCapsule"
    assert Rect.__reduce_ex__ is object.__reduce_ex__ and Rect.__getstate__ is object.__getstate__
    assert "__reduce__" in Rect.__dict__ and "__setstate__" in Rect.__dict__


PROPERTIES = ["x", "y", "w", "h", "width", "height", "left", "top", "right", "bottom",
              "centerx", "centery", "center", "position", "size"]


def test_class_dictionary_holds_properties_then_hooks_then_methods_in_order():
    names = list(Rect.__dict__)
    assert [n for n in names if n in PROPERTIES] == PROPERTIES
    assert [n for n in names if n in ENTRIES] == ENTRIES[1:]
    hooks = [names.index(n) for n in ("__pyx_vtable__", "__reduce__", "__setstate__")]
    assert hooks == sorted(hooks) and hooks[-1] < names.index("get_width")
    assert all(type(Rect.__dict__[n]).__name__ == "getset_descriptor" for n in PROPERTIES)


@pytest.mark.thread_unsafe(reason="takes the module out of sys.modules")
def test_importing_again_gives_the_same_module_without_a_new_start_up():
    test_dict = rect_module.__test__
    del sys.modules["tessel.rect.rect"]
    try:
        again = importlib.import_module("tessel.rect.rect")
    finally:
        sys.modules["tessel.rect.rect"] = rect_module
    assert again is rect_module and again.Rect is Rect and again.__test__ is test_dict


@pytest.mark.parametrize("name", ENTRIES[1:])
def test_methods_are_functions_of_the_module_that_bind_to_instances(name):
    function = Rect.__dict__[name]
    assert (function.__qualname__, function.__module__, function.__doc__) == (
        f"Rect.{name}", "tessel.rect.rect", None)
    rect = Rect(1, 2, 3, 4)
    assert getattr(rect, name).__self__ is rect
    with pytest.raises(TypeError):
        function(5) if name.startswith("get_") else function(5, (0, 0, 1, 1))


IMPORT = """
import json, sys, warnings
gil_before = sys._is_gil_enabled()
with warnings.catch_warnings(record=True) as caught:
    warnings.simplefilter("always")
    import tessel.rect.rect
print(json.dumps([gil_before, sys._is_gil_enabled(), [str(w.message) for w in caught
                  if issubclass(w.category, RuntimeWarning)]]))
"""


@fresh_interpreter
@pytest.mark.parametrize("force_off", [False, True])
def test_import_switches_the_gil_on_unless_forced_off(force_off):
    if force_off and not FREE_THREADED:
        pytest.skip("only a free-threaded interpreter runs without the GIL")
    before, after, warnings = run_python(IMPORT, **({"PYTHON_GIL": "0"} if force_off else {}))
    if not FREE_THREADED or force_off:
        assert (after, warnings) == (not force_off, [])
    else:
        [text] = warnings
        assert (before, after) == (False, True) and "GIL" in text and "tessel.rect.rect" in text


SECOND_INTERPRETER = """
import json, os, shutil, sys, tempfile, _interpreters
import tessel.rect.rect as m
try:
    interp = _interpreters.create("legacy")
except Exception as e:
    print(json.dumps(["skip", repr(e)])); raise SystemExit
out = os.path.join(tempfile.mkdtemp(), "second")
_interpreters.exec(interp, '''if 1:
    import sys
    sys.path[:] = %r
    try:
        import tessel.rect.rect
        result = "imported"
    except ImportError as e:
        result = str(e)
    open(%r, "w").write(result)''' % (sys.path, out))
_interpreters.destroy(interp)
result = open(out).read()
shutil.rmtree(os.path.dirname(out))
print(json.dumps([result, m.Rect(1, 2, 3, 4).right]))
"""


@fresh_interpreter
def test_second_interpreter_cannot_load_the_module_and_the_first_keeps_it():
    result = run_python(SECOND_INTERPRETER)
    if result[0] == "skip":
        pytest.skip(f"no legacy sub-interpreter here: {result[1]}")
    assert result == ["Interpreter change detected - this module can only be loaded into one "
                      "interpreter per process.", 4.0]


REINITIALISE = """
import ctypes, json, types, sys
import tessel.rect.rect as m
make_def = ctypes.PYFUNCTYPE(ctypes.c_void_p)(("PyInit_rect", ctypes.PyDLL(m.__file__)))
exec_def = ctypes.PYFUNCTYPE(ctypes.c_int, ctypes.py_object, ctypes.c_void_p)(
    ("PyModule_ExecDef", ctypes.pythonapi))
try:
    exec_def(types.ModuleType("other"), make_def())
except Exception as e:
    error = [type(e).__name__, str(e)]
del sys.modules["tessel.rect.rect"]
import tessel.rect.rect as again
print(json.dumps([error, again is m, again.Rect(1, 2, 3, 4).right]))
"""


@fresh_interpreter
def test_start_up_on_another_module_object_is_refused_and_the_first_survives():
    assert run_python(REINITIALISE) == [
        ["RuntimeError", "Module 'rect' has already been imported. "
                         "Re-initialisation is not supported."], True, 4.0]


# Fake sibling modules: classes whose instance size is set through __slots__, each with a
# method table of its own that is only an address (start-up calls nothing through it).
# After a failure the import is retried with the real modules and must then succeed.
FAKE_SIBLINGS = """
import ctypes, json, sys, traceback, types, warnings
table = (ctypes.c_void_p * 32)()
tables = []
capsule_new = ctypes.pythonapi.PyCapsule_New
capsule_new.restype = ctypes.py_object
capsule_new.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p]
def vector(name, slots, vtable="capsule"):
    ns = {"__slots__": tuple("s%d" % i for i in range(slots))}
    if vtable is not None:
        tables.append((ctypes.c_void_p * 32)())
        ns["__pyx_vtable__"] = (capsule_new(ctypes.addressof(tables[-1]), None, None)
                                if vtable == "capsule" else vtable)
    return type(name, (), ns)
def module(name, **attrs):
    m = types.ModuleType(name); m.__dict__.update(attrs); return m
v2 = module("tessel.vector2.vector2", Vector2=vector("Vector2", 2))
v4 = module("tessel.vector4.vector4", Vector4=vector("Vector4", 5))
CASE
sys.modules["tessel.vector2.vector2"], sys.modules["tessel.vector4.vector4"] = v2, v4
result = {"error": None}
with warnings.catch_warnings(record=True) as caught:
    warnings.simplefilter("always")
    FILTER
    try:
        import tessel.rect.rect
    except Exception as e:
        result["error"] = [type(e).__name__, str(e)]
        result["frames"] = [[f.name, f.filename] for f in traceback.extract_tb(e.__traceback__)
                            if f.name.startswith("init ")]
result["warnings"] = [str(w.message) for w in caught if "size changed" in str(w.message)]
if result["error"]:
    del sys.modules["tessel.vector2.vector2"], sys.modules["tessel.vector4.vector4"]
    import tessel.rect.rect as m
    result["retry"] = m.Rect(1, 2, 3, 4).right
print(json.dumps(result))
"""
V2, V4 = "tessel.vector2.vector2.Vector2", "tessel.vector4.vector4.Vector4"


@fresh_interpreter
@pytest.mark.parametrize("case, error, message", [
    ("v2.Vector2 = vector('Vector2', 1)", "ValueError", size_changed(V2, HEADER + 16, HEADER + 8)),
    ("v4.Vector4 = vector('Vector4', 4)", "ValueError",
     size_changed(V4, HEADER + 40, HEADER + 32)),
    ("v2.Vector2 = 5", "TypeError", f"{V2} is not a type object"),
    ("del v2.Vector2", "AttributeError", None),
    ("v4 = None", "ModuleNotFoundError", None),
    ("v2.Vector2 = vector('Vector2', 2, vtable=None)", "KeyError", "'__pyx_vtable__'"),
    ("v4.Vector4 = vector('Vector4', 5, capsule_new(ctypes.addressof(table), b'n', None))",
     "ValueError", None),
], ids=["vector2-too-small", "vector4-too-small", "not-a-type", "missing-class",
        "missing-module", "no-table", "named-capsule"])
def test_start_up_refuses_unusable_vector_types_and_can_be_retried(case, error, message):
    result = run_python(FAKE_SIBLINGS.replace("CASE", case).replace("FILTER", "pass"))
    assert result["error"][0] == error and message in (None, result["error"][1])
    assert result["frames"] == [["init tessel.rect.rect", SOURCE]]
    assert result["retry"] == 4.0


@fresh_interpreter
@pytest.mark.parametrize("as_error", [False, True])
def test_larger_vector_instances_only_warn(as_error):
    code = FAKE_SIBLINGS.replace("CASE", "v2.Vector2 = vector('Vector2', 3)").replace(
        "FILTER", "warnings.filterwarnings('error', '.*size changed')" if as_error else "pass")
    result = run_python(code)
    message = size_changed(V2, HEADER + 16, HEADER + 24)
    if as_error:
        assert (result["error"], result["retry"]) == (["RuntimeWarning", message], 4.0)
    else:
        assert (result["error"], result["warnings"]) == (None, [message])


# Impostors: a sibling attribute that is a type already in use, or that publishes a table
# already taken. The attributes are made on first lookup, when Rect exists.
IMPOSTOR = """
import ctypes, json, sys, types, warnings
import tessel.vector2.vector2 as real_v2, tessel.vector4.vector4 as real_v4
warnings.simplefilter("ignore")
capsule_new = ctypes.pythonapi.PyCapsule_New
capsule_new.restype = ctypes.py_object
capsule_new.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_void_p]
pointer = ctypes.pythonapi.PyCapsule_GetPointer
pointer.restype, pointer.argtypes = ctypes.c_void_p, [ctypes.py_object, ctypes.c_char_p]
table = (ctypes.c_void_p * 32)()
def rect():
    return next(c for c in object.__subclasses__() if c.__module__ == "tessel.rect.rect")
def table_of(cls):
    return pointer(cls.__dict__["__pyx_vtable__"], None)
def fake(name, slots, address):
    return type(name, (), {"__slots__": tuple("s%d" % i for i in range(slots)),
                           "__pyx_vtable__": capsule_new(address, None, None)})
twins = []
def twin():
    twins or twins.append(fake("Twin", 5, ctypes.addressof(table)))
    return twins[0]
class Sibling(types.ModuleType):
    def __getattr__(self, attr):
        if attr != self.attr:
            raise AttributeError(attr)
        return eval(self.make)
for real, attr, make in [(real_v2, "Vector2", VECTOR2 or "real_v2.Vector2"),
                         (real_v4, "Vector4", VECTOR4 or "real_v4.Vector4")]:
    sys.modules[real.__name__] = sibling = Sibling(real.__name__)
    sibling.attr, sibling.make = attr, make
result = {}
try:
    import tessel.rect.rect
except TypeError as e:
    result["error"] = str(e)
try:
    rect()(1, 2, 3, 4)
except ImportError as e:
    result["unready"] = str(e)
sys.modules.update({m.__name__: m for m in (real_v2, real_v4)})
import tessel.rect.rect as m
result["retry"] = m.Rect(1, 2, 3, 4).right
print(json.dumps(result))
"""
R = "tessel.rect.rect.Rect"


@fresh_interpreter
@pytest.mark.parametrize("vector2, vector4, error", [
    ("rect()", None, f"{V2} is {R}, not a type of its own"),
    ("real_v4.Vector4", None, f"{V4} is {V2}, not a type of its own"),
    ("twin()", "twin()", f"{V4} is {V2}, not a type of its own"),
    ("fake('Vector2', 2, table_of(rect()))", None, f"{V2} publishes the method table of {R}"),
    (None, "fake('Vector4', 5, table_of(rect()))", f"{V4} publishes the method table of {R}"),
    (None, "fake('Vector4', 5, table_of(real_v2.Vector2))",
     f"{V4} publishes the method table of {V2}"),
], ids=["vector2-is-rect", "vector2-is-vector4", "one-type-for-both", "vector2-has-rects-table",
        "vector4-has-rects-table", "vector4-has-vector2s-table"])
def test_start_up_refuses_a_vector_type_already_in_use_and_can_be_retried(vector2, vector4,
                                                                          error):
    code = f"VECTOR2, VECTOR4 = {vector2!r}, {vector4!r}\n" + IMPOSTOR
    assert run_python(code) == {"error": error, "unready": "module 'tessel.rect.rect' is not "
                                "ready: its import did not complete", "retry": 4.0}
