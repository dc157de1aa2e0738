"""The engine's own tests (tests/collide/engine/engine_test.cpp): its kernels, query grid, orders,
counts and pool checked against plain loops, in C++ with no interpreter, as the build made
them (under the sanitizers in the sanitizer pass)."""

import subprocess
from pathlib import Path

import pytest

import tessel

# The stage is <build dir>/stage; the tests' executable lies in the build dir.
BINARY = Path(tessel.__file__).resolve().parents[2] / "engine_test"

# Single-threaded plain C++: a thread of the interpreter adds nothing to it.
pytestmark = pytest.mark.passes("default", "sanitizer")


@pytest.mark.skipif(not BINARY.exists(), reason="a build without the engine's tests")
def test_the_engine_passes_its_own_tests():
    result = subprocess.run([str(BINARY)], capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr
    assert ", 0 failed" in result.stdout
