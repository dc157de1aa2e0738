"""The API reference: docs/api.md is what docs/make_api.py makes of the stubs, the HTML
reference that Sphinx builds from them (scripts/docs) shows every public name without a
warning, and every public name of every stub (new modules' included) has the docstring that
editors show."""

import importlib.util
import os
import re
import subprocess
import sys

import pytest

from conftest import REPO

_found = importlib.util.spec_from_file_location("make_api", REPO / "docs" / "make_api.py")
make_api = importlib.util.module_from_spec(_found)
_found.loader.exec_module(make_api)


def test_every_public_name_of_every_stub_has_a_docstring():
    assert make_api.undocumented() == []


def test_committed_reference_is_what_the_stubs_make():
    assert (REPO / "docs" / "api.md").read_text(encoding="utf-8") == make_api.render()


DOCUMENTED = '''"""A module."""
_Alias = int | float
class Thing:
    """A thing."""
    __hash__: ClassVar[None]
    slot: ClassVar[int]
    """A class attribute."""
    @overload
    def __init__(self) -> None:
        """Nothing."""
    @overload
    def __init__(self, n: _Alias, /, *, exact: bool = False) -> None: ...
    @property
    def size(self) -> float:
        """The size."""
    @size.setter
    def size(self, value: _Alias) -> None: ...
    def __len__(self) -> int:
        """Its length."""
    def _helper(self) -> None: ...
def make(*things: Thing, **options: int) -> Thing:
    """A new thing."""
'''


def undocumented(text, doc):
    """The stub with the docstring `doc` turned into a bare `...`."""
    line = next(l for l in text.splitlines() if l.strip() == doc)
    return text.replace(line, line.replace(doc, "..."))


@pytest.mark.parametrize("source, missing", [
    (DOCUMENTED, []),
    (undocumented(DOCUMENTED, '"""A module."""'), ["pkg.mod"]),
    (undocumented(DOCUMENTED, '"""A thing."""'), ["pkg.mod.Thing"]),
    (undocumented(DOCUMENTED, '"""A class attribute."""'), ["pkg.mod.Thing.slot"]),
    (undocumented(DOCUMENTED, '"""Nothing."""'), ["pkg.mod.Thing.__init__"]),
    (undocumented(DOCUMENTED, '"""The size."""'), ["pkg.mod.Thing.size"]),
    (undocumented(DOCUMENTED, '"""Its length."""'), ["pkg.mod.Thing.__len__"]),
    (undocumented(DOCUMENTED, '"""A new thing."""'), ["pkg.mod.make"]),
])
def test_a_public_name_without_a_docstring_is_found(tmp_path, source, missing):
    (tmp_path / "pkg").mkdir()
    (tmp_path / "pkg" / "mod.pyi").write_text(source)
    assert make_api.undocumented(tmp_path) == missing


def test_the_page_shows_every_public_name_with_its_signature(tmp_path):
    (tmp_path / "pkg").mkdir()
    (tmp_path / "pkg" / "mod.pyi").write_text(DOCUMENTED)
    page = make_api.render(tmp_path)
    for part in ["## `pkg.mod`\n\nA module.", "    _Alias = int | float",
                 "### class `Thing`\n\nA thing.",
                 "#### `slot: ClassVar[int]`\n\nA class attribute.",
                 "#### `Thing()`\n\nNothing.", "#### `Thing(n: _Alias, /, *, exact: bool = False)`",
                 "#### `size: float`\n\n*Property, settable to `_Alias`.*\n\nThe size.",
                 "#### `__len__() -> int`\n\nIts length.",
                 "### `make(*things: Thing, **options: int) -> Thing`\n\nA new thing."]:
        assert part in page
    assert "_helper" not in page and "__hash__" not in page


def public_names():
    """The dotted names of the stubs' modules and public members, as the reference shows
    them (a constructor within its class)."""
    names = []

    def walk(prefix, body):
        for kind, name, nodes in make_api.members(body):
            if make_api.is_public(name) and name not in ("__hash__", "__init__"):
                names.append(f"{prefix}.{name}")
                if kind == "class":
                    walk(f"{prefix}.{name}", nodes[0].body)

    for module, tree in make_api.stubs():
        names.append(module)
        walk(module, tree.body)
    return names


# The same pages from every interpreter: once per run.
@pytest.mark.passes("default")
@pytest.mark.skipif(importlib.util.find_spec("autoapi") is None, reason="needs sphinx-autoapi")
def test_the_html_reference_builds_without_warnings_and_shows_every_public_name():
    env = dict(os.environ, PYTHON=sys.executable)
    result = subprocess.run([str(REPO / "scripts" / "docs")], env=env, capture_output=True,
                            text=True, timeout=300)
    assert result.returncode == 0, result.stdout + result.stderr
    html = REPO / "build" / "docs" / "html"
    anchors = set()
    for page in (html / "reference").rglob("*.html"):
        anchors |= set(re.findall(r'id="(?:module-)?(tessel[\w.]*)"', page.read_text()))
    # Overloaded names among them (Index.add, the overlapping_pairs forms, clamp_magnitude).
    assert sorted(anchors) == sorted(public_names())
