import os
import shutil
import subprocess
import sys
from xml.etree import ElementTree

import pytest

from conftest import REPO

NOBODY = 65534

# The scripts and the example do the same on every interpreter: once per run.
pytestmark = pytest.mark.passes("default")


def run_unprivileged(args, env):
    """Runs a command as an ordinary user (dropping root first when we have it)."""
    if os.geteuid() != 0:
        return subprocess.run(args, env=env, capture_output=True, text=True, timeout=60)
    return subprocess.run(args, env=env, capture_output=True, text=True, timeout=60,
                          user=NOBODY, group=NOBODY, extra_groups=[])


def test_provisioning_without_root_refuses_in_one_line(tmp_path):
    env = dict(os.environ, TESSEL_ROOT=str(tmp_path / "no-root-here"))
    result = run_unprivileged([str(REPO / "scripts" / "provision")], env)
    assert result.returncode != 0
    assert result.stderr.strip().splitlines() == [result.stderr.strip()]
    assert "needs root" in result.stderr
    assert not (tmp_path / "no-root-here").exists()


def run_test_script(*args):
    """scripts/test with this interpreter alone (no other pass), building into the build
    directory the suite runs from."""
    env = {k: os.environ[k] for k in ("PATH", "HOME", "LANG", "TMPDIR", "PYTHONPATH")
           if k in os.environ}
    env["PYTHON"] = sys.executable
    return subprocess.run([str(REPO / "scripts" / "test"), *args], env=env,
                          capture_output=True, text=True, timeout=600)


needs_cmake = pytest.mark.skipif(shutil.which("cmake") is None, reason="needs cmake to build")
builds = pytest.mark.thread_unsafe(reason="builds into the build directory the suite runs from")


@builds
@needs_cmake
def test_a_run_that_selects_no_test_fails():
    result = run_test_script("-k", "no_test_has_this_name")
    assert result.returncode != 0
    assert "pytest exit status 5" in result.stderr


@builds
@needs_cmake
@pytest.mark.parametrize("verbosity", ["-qq", "-v"])
def test_the_closing_line_counts_the_tests_at_any_verbosity(verbosity):
    result = run_test_script(verbosity, "-k", "example_scene or provisioning",
                             "tests/package/test_scripts.py")
    assert result.returncode == 0, result.stderr
    assert result.stdout.splitlines()[-1] == "total: 2 passed, 0 failed, 0 skipped"


def test_example_scene_runs_and_draws_every_rect(tmp_path):
    svg = tmp_path / "scene.svg"
    result = subprocess.run([sys.executable, str(REPO / "examples" / "scene.py"), "--svg", str(svg)],
                            capture_output=True, text=True, timeout=60, cwd=REPO)
    assert result.returncode == 0, result.stderr
    assert "Vector2(0.10000000149011612, inf)" in result.stdout
    assert result.stdout.rstrip().endswith(str(svg))
    shapes = [e.tag.rpartition("}")[2] for e in ElementTree.parse(svg).iter()]
    assert shapes.count("rect") == 1 + 4 + 4 + 2  # background, walls, movers, legend


def test_committed_pictures_are_what_the_code_draws(tmp_path):
    result = subprocess.run([sys.executable, str(REPO / "examples" / "pictures.py"),
                             "--out", str(tmp_path)], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    for name in ("scene.svg", "edge-rules.svg", "toolbox.svg", "lines.svg", "motion.svg"):
        assert (tmp_path / name).read_text() == (REPO / "docs" / name).read_text(), name
