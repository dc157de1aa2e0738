"""The package as users get it: type stubs that match the compiled modules (mypy's
stubtest, with no allowlist) and serve a strictly typed program, and a source distribution
that builds a wheel which installs and imports with its stubs, typed marker and C headers,
carries its metadata, and leaves the developers' notes in the sdist."""

import email
import importlib.util
import os
import subprocess
import sys
import sysconfig
import tarfile
import zipfile
from pathlib import Path

import pytest

import tessel
from conftest import FREE_THREADED, REPO

# The wheel is built for, and installed into, the interpreter at hand: the default and the
# free-threaded builds differ (ABI, tags); the debug and sanitizer builds add nothing.
pytestmark = pytest.mark.passes("default", "free-threaded")

TESTS = Path(__file__).parent
PACKAGE = Path(tessel.__file__).parent
HEADERS = {"tessel/include/tessel/rect.h", "tessel/include/tessel/vector2.h",
           "tessel/include/tessel/vector4.h"}


def module_names(suffix):
    """Dotted names of the package's modules that have a file ending in `suffix`."""
    names = set()
    for path in PACKAGE.rglob("*" + suffix):
        parts = path.relative_to(PACKAGE.parent).with_name(path.name.split(".")[0]).parts
        names.add(".".join(parts[:-1] if parts[-1] == "__init__" else parts))
    return names


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=600, **kwargs)


@pytest.fixture(scope="module")
def mypy(tmp_path_factory):
    """Runs mypy's tools on this interpreter, from a folder outside the work tree (mypy
    would otherwise see the staged package twice, once by a relative path)."""
    if run([sys.executable, "-m", "mypy", "--version"]).returncode != 0:
        pytest.skip("mypy does not run on this interpreter")
    cwd = tmp_path_factory.mktemp("mypy")
    return lambda *args: run([sys.executable, "-m", *args], cwd=cwd)


def test_stubs_match_the_compiled_modules(mypy):
    stubs = module_names(".pyi")
    assert module_names(sysconfig.get_config_var("EXT_SUFFIX")) <= stubs
    # Given a package, stubtest checks its submodules too, and refuses a module named twice.
    given = sorted(m for m in stubs if not any(m.startswith(p + ".") for p in stubs))
    result = mypy("mypy.stubtest", *given)
    assert result.returncode == 0, result.stdout + result.stderr


needs_pygame = pytest.mark.skipif(importlib.util.find_spec("pygame") is None,
                                  reason="the game draws with pygame")


@pytest.mark.parametrize("program", ["typed_usage.py",
                                     pytest.param("typed_game.py", marks=needs_pygame)])
def test_typical_code_type_checks_strictly(mypy, program):
    result = mypy("mypy", "--strict", str(TESTS / program))
    assert result.returncode == 0, result.stdout + result.stderr


@needs_pygame
def test_the_typed_game_runs():
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", PYGAME_HIDE_SUPPORT_PROMPT="1")
    result = run([sys.executable, str(TESTS / "typed_game.py")], env=env)
    assert result.returncode == 0 and "enemy" in result.stdout, result.stderr


@pytest.fixture(scope="module")
def dist(tmp_path_factory):
    """An sdist and the wheel built from it (python -m build, without network), and that
    wheel installed into an empty folder."""
    out = tmp_path_factory.mktemp("dist")
    env = dict(os.environ, CMAKE_BUILD_PARALLEL_LEVEL=str(os.cpu_count() or 1))
    result = run([sys.executable, "-m", "build", "--no-isolation", "--outdir", str(out),
                  str(REPO)], cwd=out, env=env)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    (sdist,), (wheel,) = out.glob("*.tar.gz"), out.glob("*.whl")
    target = out / "target"
    result = run([sys.executable, "-m", "pip", "install", "--no-deps", "--no-index",
                  "--target", str(target), str(wheel)])
    assert result.returncode == 0, result.stdout + result.stderr
    return sdist, wheel, target


def test_sdist_holds_the_sources_and_no_build_output(dist):
    sdist, _, _ = dist
    with tarfile.open(sdist) as tar:
        names = {n.partition("/")[2] for n in tar.getnames()}
        info = tar.extractfile(tar.getnames()[0].partition("/")[0] + "/PKG-INFO")
        metadata = email.message_from_bytes(info.read())
    sources = {str(p.relative_to(REPO)) for p in (REPO / "src").rglob("*")
               if p.is_file() and "__pycache__" not in p.parts}
    assert sources | {"CMakeLists.txt", "pyproject.toml", "README.md", "LICENSE"} <= names
    assert not any(n.startswith("build/") or n == ".git" or n.endswith(".so") for n in names)
    # The metadata's Documentation entry names the API reference, a path in the sdist.
    urls = dict(u.split(", ", 1) for u in metadata.get_all("Project-URL"))
    assert urls["Documentation"] == "docs/api.md" and "docs/api.md" in names


def test_installed_wheel_imports_with_stubs_and_headers(dist):
    sdist, wheel, target = dist
    with zipfile.ZipFile(wheel) as whl:
        files = set(whl.namelist())
        (meta,) = [n for n in files if n.endswith(".dist-info/METADATA")]
        metadata = email.message_from_bytes(whl.read(meta))
    stubs = {str(p.relative_to(REPO / "src")) for p in (REPO / "src").rglob("*.pyi")}
    assert stubs | HEADERS | {"tessel/py.typed"} <= files
    assert not any(n.endswith((".cpp", ".hpp", ".md")) for n in files)
    assert metadata["License-Expression"] == "MIT"
    assert metadata["Author"] == metadata["Maintainer"] == "the tessel developers"
    assert {"rect", "collision"} <= set(metadata["Keywords"].split(","))
    version = "Programming Language :: Python :: %d.%d" % sys.version_info[:2]
    assert version in metadata.get_all("Classifier")
    if FREE_THREADED:
        assert "Programming Language :: Python :: Free Threading" in metadata.get_all("Classifier")
    code = ("import tessel, os; from tessel.rect.rect import Rect; "
            "print(tessel.__file__); print(tessel.get_include()); print(Rect(1, 2, 3, 4).right)")
    result = run([sys.executable, "-c", code], env=dict(os.environ, PYTHONPATH=str(target)))
    assert result.returncode == 0, result.stderr
    where, include, right = result.stdout.split()
    assert Path(where).parent == target / "tessel" and right == "4.0"
    assert {str(p.relative_to(target)) for p in Path(include).rglob("*.h")} == HEADERS
    # The same headers that tests/test_clients.py builds its clients against.
    for header in HEADERS:
        assert (target / header).read_bytes() == (PACKAGE.parent / header).read_bytes()
