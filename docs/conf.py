"""Sphinx settings for the HTML reference: sphinx-autoapi reads the type stubs that ship with
the package (src/tessel/**/*.pyi), the same text that editors show on hover and that
docs/make_api.py writes into docs/api.md. Built by scripts/docs (the test suite builds it
too, with warnings as errors):

    python3 -m sphinx -W -b html docs build/docs/html
"""

import ast
import sys
from pathlib import Path

TOP = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(TOP / "docs"))
import make_api  # noqa: E402  (reads the stubs as the Markdown page does)

project = "tessel"
author = "the tessel developers"
copyright = "the tessel developers"
extensions = ["autoapi.extension"]

# Only the index page is written by hand; the Markdown pages beside it are for repository
# pages, not for this reference.
root_doc = "index"
source_suffix = {".rst": "restructuredtext"}
exclude_patterns = ["api.md", "contract.md"]

# The stubs alone: the compiled modules carry no text to read, and the packages' __init__.py
# would only repeat their __init__.pyi.
autoapi_type = "python"
autoapi_dirs = [str(TOP / "src" / "tessel")]
autoapi_file_patterns = ["*.pyi"]
autoapi_root = "reference"
autoapi_keep_files = False
autoapi_add_toctree_entry = False
autoapi_member_order = "bysource"
autoapi_options = ["members", "show-inheritance", "show-module-summary", "special-members"]
autoapi_python_class_content = "both"

# The docstrings use single backquotes for code, as Markdown does.
default_role = "code"

html_theme = "alabaster"
html_title = "tessel reference"


def overload_docstrings():
    """{dotted name: docstring} for the public overloaded functions and methods of the
    stubs, and for the classes whose __init__ is overloaded (the class docstring, then the
    constructor's).

    sphinx-autoapi keeps the docstring of an overloaded name's last definition, the
    implementation in a Python source; a stub has none, and documents its overloads
    themselves (each one, or the first for all): here they are joined, in order."""
    found = {}

    def walk(prefix, body):
        for kind, name, nodes in make_api.members(body):
            path = f"{prefix}.{name}"
            if kind == "class":
                walk(path, nodes[0].body)
                init = found.pop(f"{path}.__init__", None)
                if init:
                    found[path] = ast.get_docstring(nodes[0]) + "\n\n" + init
            elif kind == "function" and len(nodes) > 1 and make_api.is_public(name):
                found[path] = "\n\n".join(filter(None, map(ast.get_docstring, nodes)))

    for module, tree in make_api.stubs():
        walk(module, tree.body)
    return found


OVERLOADED = overload_docstrings()


def document_overloads(app, what, name, obj, skip, options):
    if name not in OVERLOADED:
        return None
    obj.docstring = OVERLOADED[name] + "\n"
    # autoapi left an overloaded function out for want of a docstring; a class it shows.
    return None if what == "class" else False


def setup(app):
    app.connect("autoapi-skip-member", document_overloads)
