import os
import shutil
import subprocess
import sys
from xml.etree import ElementTree

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
    for name in ("scene.svg", "edge-rules.svg"):
        assert (tmp_path / name).read_text() == (REPO / "docs" / name).read_text(), name
