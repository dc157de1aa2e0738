"""The package as users get it: type stubs that match the compiled modules (mypy's
stubtest, with no allowlist) and serve strictly typed programs, and the release that
scripts/release makes: a source distribution, and a wheel built from it and repaired to a
manylinux tag, which installs into a fresh virtual environment and imports every module,
with its stubs, typed marker and C headers, carries its metadata, and leaves the developers'
notes in the sdist."""

import email
import importlib.util
import json
import os
import re
import shutil
import subprocess
import sys
import sysconfig
import tarfile
import zipfile
from pathlib import Path

import pytest

import tessel
from conftest import FREE_THREADED, REPO, SUPPORT
from tessel import Rect

# The wheel is built for, and installed into, the interpreter at hand: the default and the
# free-threaded builds differ (ABI, tags); the debug and sanitizer builds add nothing.
pytestmark = pytest.mark.passes("default", "free-threaded")

TESTS = SUPPORT  # the typed programs
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


def has_pygame():
    """Whether pygame is there, built for this interpreter (without importing it)."""
    spec = importlib.util.find_spec("pygame")
    suffix = sysconfig.get_config_var("EXT_SUFFIX")
    return spec is not None and (Path(spec.origin).parent / f"base{suffix}").exists()


needs_pygame = pytest.mark.skipif(not has_pygame(), reason="the game draws with pygame")


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
    """What scripts/release makes for this interpreter alone (an sdist, and the wheel built
    from it, repaired by auditwheel), and that wheel installed into a fresh virtual
    environment: (sdist, wheel, the environment's interpreter, its site-packages)."""
    if shutil.which("auditwheel") is None:
        pytest.skip("a release needs auditwheel and patchelf")
    out = tmp_path_factory.mktemp("dist")
    env = dict(os.environ, PYTHON=sys.executable)
    env.pop("PYTHON_FT", None)
    result = run([str(REPO / "scripts" / "release"), "--outdir", str(out)], env=env)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    (sdist,), (wheel,) = out.glob("*.tar.gz"), out.glob("*.whl")
    # A free-threaded interpreter may have no ensurepip: the environment gets no pip of its
    # own, and the suite's pip installs into it.
    venv = out / "venv"
    result = run([sys.executable, "-m", "venv", "--without-pip", str(venv)])
    assert result.returncode == 0, result.stderr
    python = str(venv / "bin" / "python")
    pip_path = str(Path(importlib.util.find_spec("pip").origin).parents[1])
    result = run([python, "-m", "pip", "install", "--no-deps", "--no-index", str(wheel)],
                 env=dict(os.environ, PYTHONPATH=pip_path))
    assert result.returncode == 0, result.stdout + result.stderr
    site = run([python, "-c", "import sysconfig; print(sysconfig.get_path('platlib'))"],
               env=clean_env()).stdout.strip()
    return sdist, wheel, python, Path(site)


def clean_env(**changes):
    """The environment without a PYTHONPATH: an installed package imports from its own
    environment alone."""
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PYTHON_GIL")}
    return dict(env, **changes)


def test_the_wheel_has_a_manylinux_tag(dist):
    _, wheel, _, _ = dist
    assert re.fullmatch(r"tessel-[\d.]+-cp\d+-cp\d+t?-manylinux_\d+_\d+_x86_64\.whl",
                        wheel.name), wheel.name
    result = run(["auditwheel", "show", str(wheel)])
    assert result.returncode == 0 and 'platform tag: "manylinux_' in " ".join(
        result.stdout.split()), result.stdout + result.stderr


def test_sdist_holds_the_sources_and_no_build_output(dist):
    sdist, _, _, _ = dist
    with tarfile.open(sdist) as tar:
        names = {n.partition("/")[2] for n in tar.getnames()}
        info = tar.extractfile(tar.getnames()[0].partition("/")[0] + "/PKG-INFO")
        metadata = email.message_from_bytes(info.read())
    sources = {str(p.relative_to(REPO)) for p in (REPO / "src").rglob("*")
               if p.is_file() and "__pycache__" not in p.parts}
    assert sources | {"CMakeLists.txt", "pyproject.toml", "README.md", "LICENSE"} <= names
    assert not any(n.startswith("build/") or n == ".git" or n.endswith(".so") for n in names)
    # The project has no web site: no URL, rather than a path posing as one.
    assert metadata.get_all("Project-URL") is None and metadata["Home-page"] is None


def test_installed_wheel_imports_every_module_with_stubs_and_headers(dist):
    sdist, wheel, python, target = dist
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
    modules = sorted(".".join(Path(n).parts[:-1] + (() if n.endswith("__init__.py") else (
        Path(n).name.split(".")[0],))) for n in files if n.endswith((".py", ".so")))
    assert {"tessel.rect.rect", "tessel.collide.collide", "tessel._lazy"} <= set(modules)
    code = ("import importlib, json, sys; from tessel import Rect, Index, get_include; "
            "print(json.dumps([importlib.import_module(m).__file__ for m in sys.argv[1:]])); "
            "print(get_include()); print(Index([Rect(1, 2, 3, 4)]).rect_hits((0, 0, 2, 3)))")
    result = run([python, "-c", code, *modules], env=clean_env())
    assert result.returncode == 0, result.stderr
    where, include, hits = result.stdout.splitlines()
    assert all(Path(f).is_relative_to(target / "tessel") for f in json.loads(where))
    assert hits == repr([Rect(1, 2, 3, 4)])
    assert {str(p.relative_to(target)) for p in Path(include).rglob("*.h")} == HEADERS
    # The same headers that tests/package/test_clients.py builds its clients against.
    for header in HEADERS:
        assert (target / header).read_bytes() == (PACKAGE.parent / header).read_bytes()
