"""help() of the vector modules says what their stubs say: the runtime docstring of the
module, of each class and of every method and property a class defines begins with the first
paragraph of the stub's docstring for it. Slots whose text the interpreter writes (`__add__`,
`__len__`, `__init__`, ...) are left out: no module can change theirs."""

import ast
import importlib
import types

import pytest

from test_api_reference import make_api


def first_paragraph(doc):
    return " ".join((doc or "").strip().split("\n\n")[0].split())


def drifted(module_name):
    """(dotted name, runtime first paragraph, stub first paragraph) wherever they differ."""
    module = importlib.import_module(module_name)
    tree = dict(make_api.stubs())[module_name]
    pairs = [(module_name, module, ast.get_docstring(tree))]
    for kind, name, nodes in make_api.members(tree.body):
        if kind != "class":
            continue
        cls = getattr(module, name)
        pairs.append((f"{module_name}.{name}", cls, ast.get_docstring(nodes[0])))
        for kind, member, parts in make_api.members(nodes[0].body):
            runtime = cls.__dict__.get(member)
            if kind == "attribute" or not make_api.is_public(member) or isinstance(
                    runtime, types.WrapperDescriptorType):
                continue
            # A property's text is its getter's; of overloads, the first that has one.
            stub = next(filter(None, map(ast.get_docstring, parts)), None)
            pairs.append((f"{module_name}.{name}.{member}", runtime, stub))
    found = [(path, first_paragraph(getattr(obj, "__doc__", None)), first_paragraph(stub))
             for path, obj, stub in pairs]
    return [row for row in found if row[1] != row[2]]


@pytest.mark.parametrize("module", ["tessel.vector2.vector2", "tessel.vector4.vector4"])
def test_runtime_docstrings_begin_with_the_stubs_first_paragraph(module):
    assert drifted(module) == []
