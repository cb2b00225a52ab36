# SPDX-License-Identifier: GPL-3.0-or-later
"""What the Python tests share: the built programs and the test data."""
import os
import subprocess

import pytest

DATA = os.environ.get("QUORVIN_TEST_DATA", os.path.join(os.path.dirname(__file__), "..", "data"))


def run_program(variable, args, stream="stdout"):
    """The built program named by an environment variable, its stdout (or stderr)."""
    program = os.environ.get(variable)
    if not program:
        pytest.fail(variable + " names no program; run the tests through ctest")
    done = subprocess.run([program, *args], capture_output=True, check=False)
    assert done.returncode in (0, 1), done.stderr.decode()
    return getattr(done, stream).decode("utf-8")


@pytest.fixture
def batch():
    return lambda *args: run_program("QUORVIN_BATCH", args)


@pytest.fixture
def batch_stderr():
    return lambda *args: run_program("QUORVIN_BATCH", args, "stderr")


@pytest.fixture
def fit_program():
    return lambda *args: run_program("QUORVIN_FIT", args)
