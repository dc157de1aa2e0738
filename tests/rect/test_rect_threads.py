"""Without the GIL: threads that read shared rects while others write their components and
replace their vectors (with new ones and with None) neither crash nor see anything but
vectors or None in a field. Free-threaded interpreters only.

Each run is a fresh interpreter with PYTHON_GIL=0 running tests/support/rect_stress.py: 4 threads,
up to ROUNDS rounds of LOOPS passes over their operations, cut off after a few seconds.
Before reads and replacements of a field were made atomic with respect to each other, a
run of this size failed 21 times in 30 (a segmentation fault, a hang, or a freed vector's
memory read as another object), so RUNS runs would all miss that fault about once in
15000 test runs.
"""

import json
import os
import subprocess
import sys
from pathlib import Path

import pytest

from conftest import SUPPORT
from rect_support import FREE_THREADED

RUNS, ROUNDS, LOOPS, SECONDS = 8, 4, 3000, 3
SCRIPT = SUPPORT / "rect_stress.py"

# Each run starts its own interpreter with its own threads: the parallel pass adds nothing.
pytestmark = [pytest.mark.skipif(not FREE_THREADED, reason="needs a free-threaded interpreter"),
              pytest.mark.passes("free-threaded")]


@pytest.mark.parametrize("run", range(RUNS))
def test_shared_rects_survive_threads_without_the_gil(run):
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(p for p in sys.path if p), PYTHON_GIL="0")
    done = subprocess.run([sys.executable, str(SCRIPT), str(ROUNDS), str(LOOPS), str(SECONDS)],
                          env=env, capture_output=True, text=True, timeout=60, check=False)
    assert done.returncode == 0, f"exit status {done.returncode}: {done.stderr[-2000:]}"
    tally = json.loads(done.stdout.strip().splitlines()[-1])
    assert tally["gil"] is False and tally["operations"] > 0
    assert tally["unexpected"] == []
