import os
import shutil
import subprocess
import sys

import pytest

from conftest import REPO

NOBODY = 65534


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


@pytest.mark.thread_unsafe(reason="builds into the build directory the suite runs from")
@pytest.mark.skipif(shutil.which("cmake") is None, reason="needs cmake to build")
def test_a_run_that_selects_no_test_fails():
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHON_FT", "PYTEST_ADDOPTS")}
    env["PYTHON"] = sys.executable
    result = subprocess.run(
        [str(REPO / "scripts" / "test"), "-k", "no_test_has_this_name"],
        env=env, capture_output=True, text=True, timeout=600,
    )
    assert result.returncode != 0
    assert "pytest exit status 5" in result.stderr


def test_example_scene_runs():
    result = subprocess.run([sys.executable, str(REPO / "examples" / "scene.py")],
                            capture_output=True, text=True, timeout=60, cwd=REPO)
    assert result.returncode == 0, result.stderr
    assert "Vector2(0.10000000149011612, inf)" in result.stdout
