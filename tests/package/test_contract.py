"""The compatibility contract (docs/contract.md): every artefact it lists is pinned by the
tests it names, which exist; and the artefacts no other test reaches: the published table
layout against the header clients compile, the pickle checksums against the digests they
stand for, the exported main-module symbol and the version warning's text."""

import ctypes
import hashlib
import re
from pathlib import Path

import pytest

import tessel
import tessel.rect.rect as rect_module
from conftest import REPO
from rect_support import ENTRIES, Rect, fresh_interpreter, run_python

CONTRACT = REPO / "docs" / "contract.md"
MAIN_SYMBOL = "__pyx_module_is_main_tessel__rect__rect"


def named_tests():
    """(file, test) of every test the contract names, as `tests/<file>.py::<test>`."""
    return re.findall(r"tests/((?:\w+/)*test_\w+\.py)::(test_\w+)", CONTRACT.read_text())


def test_every_test_the_contract_names_exists():
    named = named_tests()
    assert len(named) >= 20
    missing = [f"{file}::{test}" for file, test in named
               if not re.search(rf"^def {test}\(", (REPO / "tests" / file).read_text(), re.M)]
    assert missing == []


def test_the_published_table_has_the_layout_of_the_header_clients_compile():
    header = (Path(tessel.get_include()) / "tessel" / "rect.h").read_text()
    table = header[header.index("typedef struct RectVTable"):header.index("} RectVTable;")]
    # The C spelling of each entry; C++ spells `new` as `new_`.
    assert [n for n in re.findall(r"\(\*(\w+)\)", table) if n != "new_"] == ENTRIES


@pytest.mark.parametrize("digest", ["sha256", "sha1", "md5"])
def test_pickle_checksums_are_the_digests_of_the_field_names(digest):
    checksum = int(hashlib.new(digest, b"position size").hexdigest()[:7], 16)
    rect_module.__pyx_unpickle_Rect(Rect, checksum, None)  # accepted
    if digest == "sha256":
        assert Rect(1, 2, 3, 4).__reduce__()[1][1] == checksum == 92479533


MAIN = f"""
import ctypes, importlib.util, json, sys
path = importlib.util.find_spec("tessel.rect.rect").origin
ctypes.c_int.in_dll(ctypes.PyDLL(path), {MAIN_SYMBOL!r}).value = 1
import tessel.rect.rect as m
print(json.dumps([m.__name__, sys.modules["tessel.rect.rect"] is m, m.Rect(1, 2, 3, 4).right]))
"""


def test_the_exported_main_symbol_starts_at_zero():
    symbol = ctypes.c_int.in_dll(ctypes.PyDLL(rect_module.__file__), MAIN_SYMBOL)
    assert symbol.value == 0 and rect_module.__name__ == "tessel.rect.rect"


@fresh_interpreter
def test_a_host_that_sets_the_main_symbol_gets_a_module_named_main():
    assert run_python(MAIN) == ["__main__", True, 4.0]


def test_the_version_warning_is_the_modules_own_text():
    text = (b"compile time Python version %d.%d of module '%.100s' %s runtime version %d.%d")
    assert text in Path(rect_module.__file__).read_bytes()
