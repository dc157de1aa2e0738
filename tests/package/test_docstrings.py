"""help() says what the stubs say: every public name of a compiled module that its stub
documents (the module, its functions, its classes with their methods and properties) has a
runtime docstring whose first paragraph is the stub's. The stub holds the rest.

Each compiled module joins by a line in MODULES. Rect is not there: its class dictionary,
docstrings included, is fixed by the contract (docs/contract.md). Slot wrappers (__init__,
__len__, ...) carry the interpreter's own text and are not compared."""

import ast
import importlib
import inspect

import pytest

from conftest import REPO

# (compiled module, its stub under src/tessel)
MODULES = [
    ("tessel.collide.collide", "collide/collide.pyi"),
    ("tessel.geometry.geometry", "geometry/geometry.pyi"),
    ("tessel.vector2.vector2", "vector2/vector2.pyi"),
    ("tessel.vector4.vector4", "vector4/vector4.pyi"),
]


def first_paragraph(doc):
    """The first paragraph of a docstring, its lines joined: the stubs and the runtime wrap
    them alike, but need not."""
    return " ".join(inspect.cleandoc(doc or "").split("\n\n")[0].split())


def documented(module, stub):
    """(dotted name, the stub's first paragraph) of every public name the stub documents;
    an overloaded function by the first of its overloads that has a docstring."""
    tree = ast.parse((REPO / "src" / "tessel" / stub).read_text(encoding="utf-8"))
    found = {module: ast.get_docstring(tree)}

    def walk(body, prefix):
        for node in body:
            if not isinstance(node, (ast.FunctionDef, ast.ClassDef)):
                continue
            public = not node.name.startswith("_") or node.name.endswith("__")
            # Declared ahead of the runtime (typing only) until the module has it.
            public &= not any(getattr(d, "id", None) == "type_check_only"
                              for d in node.decorator_list)
            name = f"{prefix}.{node.name}"
            doc = ast.get_docstring(node)
            if public and doc is not None and found.get(name) is None:
                found[name] = doc
            if isinstance(node, ast.ClassDef):
                walk(node.body, name)

    walk(tree.body, module)
    return [(name, first_paragraph(doc)) for name, doc in found.items()]


def runtime(name, module):
    """The object a dotted name stands for, found from its module: a property as its
    descriptor, a method as the class's attribute."""
    obj = importlib.import_module(module)
    for part in name[len(module) + 1:].split(".") if name != module else []:
        obj = inspect.getattr_static(obj, part)
    return obj


CASES = [(module, name, paragraph) for module, stub in MODULES
         for name, paragraph in documented(module, stub)]


@pytest.mark.parametrize("module, name, paragraph", CASES, ids=[c[1] for c in CASES])
def test_the_runtime_docstring_opens_with_the_stubs_first_paragraph(module, name, paragraph):
    obj = runtime(name, module)
    if type(obj).__name__ == "wrapper_descriptor":
        pytest.skip("a slot wrapper's text is the interpreter's")
    assert first_paragraph(obj.__doc__) == paragraph
