"""Shared by the tests: the built humitrax-cli, which CTest names in HUMITRAX_CLI, and its warnings."""

import os
import re

import pytest


@pytest.fixture(scope="session")
def cli():
    path = os.environ.get("HUMITRAX_CLI")
    if not path or not os.access(path, os.X_OK):
        pytest.fail("HUMITRAX_CLI must name the built humitrax-cli (ctest sets it)")
    return path


@pytest.fixture(scope="session")
def batch_warnings():
    """The texts of batch's warnings on its standard error, one per column,
    without the hint on a unit in the header that batch adds to a CSV's."""
    def texts(stderr):
        return [re.sub(r" \(a unit in the header, as in .*\)$", "", line.split(": warning: ", 1)[1])
                for line in stderr.splitlines() if ": warning: " in line]
    return texts
