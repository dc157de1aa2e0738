"""The API reference: docs/api.md is what docs/make_api.py makes of the stubs, and every
public name of every stub (new modules' included) has the docstring that editors show."""

import importlib.util

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
