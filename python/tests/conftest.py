import os
import subprocess

import pytest


@pytest.fixture(scope="session")
def littoral_binary():
    return os.environ.get("LITTORAL_BINARY", "littoral")


@pytest.fixture(scope="session")
def run_command(littoral_binary):
    """Runs ``littoral table`` on a CSV file and returns its result text."""

    def run(path, *options):
        done = subprocess.run([littoral_binary, "table", str(path), *options],
                              capture_output=True, text=True, check=False)
        assert done.returncode in (0, 1), done.stderr
        return done.stdout

    return run
